#pragma once
// A download wired to the simulated logger on a pseudo-terminal, with a view that keeps every
// status text shown.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "download/Download.h"
#include "serial/CommPort.h"
#include "sim/LoggerSim.h"

namespace yb::test {

class RecordingView : public View {
public:
    std::map<Field, QString> texts;
    std::vector<QString> statusHistory;

    QString text(Field field) const override {
        const auto it = texts.find(field);
        return it == texts.end() ? QString() : it->second;
    }
    void setText(Field field, const QString& text) override {
        texts[field] = text;
        if (field == Field::Status) statusHistory.push_back(text);
    }
    void setToolTip(Field, const QString&) override {}
    int comboListIndex() const override { return -1; }

    bool everShowed(const QString& status) const {
        return std::find(statusHistory.begin(), statusHistory.end(), status) != statusHistory.end();
    }
};

inline ybsim::Options Logger(long main, long temp, long laps, bool instant = true) {
    ybsim::Options options;
    options.seed = 11;
    options.mainCount = main;
    options.tempCount = temp;
    options.lapCount = laps;
    options.instant = instant;
    return options;
}

class DownloadRig : public ::testing::Test {
protected:
    DownloadRig() { data.InitData(); }

    // Starts the simulated logger and opens the port on it, as the window's open button does.
    void Start(const ybsim::Options& options) {
        if (port.portOpen()) port.setPortOpen(false);
        sim = std::make_unique<ybsim::LoggerSim>(options);
        sim->start();
        qputenv("YB_COM1", QByteArray::fromStdString(sim->slavePath()));
        port.setCommPort(1);
        port.setSettings(QStringLiteral("38400,N,8,1"));
        port.setPortOpen(true);
        state.fCommOpen = true;
    }

    void Download() { DownLoadBtn_Click(ctx); }
    QString Status() const { return view.text(Field::Status); }

    std::vector<std::string> Commands() const { return sim->commands(); }
    long CountOf(const std::string& command) const {
        const auto all = Commands();
        return std::count(all.begin(), all.end(), command);
    }
    bool Sent(const std::string& command) const { return CountOf(command) > 0; }
    // Record requests of a stage: the prefix followed by a number.
    std::vector<std::string> RecordCommands(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const auto& c : Commands()) {
            if (c.starts_with(prefix) && c.size() > prefix.size() && !c.ends_with("?")) {
                out.push_back(c);
            }
        }
        return out;
    }

    // The recording-interval read as the window runs it: one "T??" exchange, failures swallowed.
    void ReadInterval() {
        ++intervalReads;
        try {
            state.AnsStr.clear();
            state.CmdStr = "T??";
            exchange.mSendCommandGetAns(state.CmdStr, state.AnsStr, 100);
        } catch (const std::exception&) {
        }
    }

    // Declared first so that it outlives the port that talks to it.
    std::unique_ptr<ybsim::LoggerSim> sim;
    CommPort port;
    WindowState state;
    RecordingView view;
    CommandExchange exchange{port, state, view};
    LoggedData data;
    int intervalReads = 0;
    int pumps = 0;
    // Runs in the window-event step after each main record; empty for most tests.
    std::function<void()> onPump;
    DownloadContext ctx{exchange,
                        state,
                        view,
                        data,
                        [this] { ReadInterval(); },
                        [this] {
                            ++pumps;
                            if (onPump) onPump();
                        }};
};

}  // namespace yb::test
