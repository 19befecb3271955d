#pragma once
// What the operations of the system may see and change of the main window.
//
// Operations (port control, exchanges, settings, download, save) never touch widgets; they read
// and write the few texts of the window through this interface, which the main window implements
// and tests replace with a plain record of texts.

#include <QString>

namespace yb {

enum class Field {
    Status,         // one-line message box: every operation replaces it with its latest message
    ComStatus,      // label: line settings, "closed..." or the last serial event
    Text1,          // main-data record line; the connection check's raw answer
    Text2,          // temperature record line
    Text3,          // lap record line
    Text5,          // tyre circumference [mm]
    Text6,          // battery initial capacity [Ah]
    Text7,          // recording interval [s]
    OpenCommBtn,    // caption of the open/close button: "Open COM" or "Close COM"
    ComboCommPort,  // text of the port box
};

class View {
public:
    virtual ~View() = default;
    virtual QString text(Field field) const = 0;
    virtual void setText(Field field, const QString& text) = 0;
    // A longer explanation of a short message (the reason behind "Setting Error"), shown when
    // the pointer rests on the field; "" removes it.
    virtual void setToolTip(Field field, const QString& text) = 0;
    // Index of the selected entry of the port list, -1 when the user typed a name.
    virtual int comboListIndex() const = 0;
};

}  // namespace yb
