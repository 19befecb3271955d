#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

#include "export/Backends.h"

namespace yb {

const ExportWriters* LoadExportWriters(QString& why) {
    static const ExportWriters* writers = nullptr;
    if (writers) return writers;
    QStringList folders;
    if (qEnvironmentVariableIsSet("YB_EXPORT_WRITERS")) {
        folders << qEnvironmentVariable("YB_EXPORT_WRITERS");
    } else {
        const QDir program(QCoreApplication::applicationDirPath());
        folders << program.path() << program.filePath(QStringLiteral(YB_EXPORT_WRITERS_INSTALLED));
    }
    QStringList failures;
    for (const QString& folder : folders) {
        QLibrary module(QDir(folder).filePath(QStringLiteral(YB_EXPORT_WRITERS_MODULE)));
        const auto entry =
            reinterpret_cast<ExportWritersEntry>(module.resolve(kExportWritersEntry));
        if (entry && (writers = entry())) return writers;
        failures << module.errorString();
    }
    why =
        QCoreApplication::translate("Exports", "the Excel and MATLAB writers cannot be loaded (%1)")
            .arg(failures.join(QStringLiteral("; ")));
    return nullptr;
}

}  // namespace yb
