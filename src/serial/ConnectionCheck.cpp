#include "serial/ConnectionCheck.h"

#include "serial/ValueRules.h"

namespace yb {

void TBB_Click(CommandExchange& exchange, WindowState& state, View& view) {
    if (!state.fCommOpen) {
        view.setText(Field::Status, QStringLiteral("CommPort Not Open..."));
        return;
    }
    state.AnsStr.clear();
    state.CmdStr = "?";
    try {
        exchange.mSendCommandGetAns(state.CmdStr, state.AnsStr, 100);
    } catch (const std::exception&) {
        state.AnsStr.clear();  // the port failed: no answer came
    }
    if (BeginsWithOK(state.AnsStr)) {
        view.setText(Field::Status, QStringLiteral("YB 接続確認できました"));
    } else {
        view.setText(Field::Status, QStringLiteral("YB 接続確認できませんでした"));
        view.setText(Field::Text1, QString::fromLatin1(state.AnsStr));
    }
}

}  // namespace yb
