#pragma once
// How an operation on the logger ended, and the texts the user sees for it.
//
// Every operation (connection check, settings read and write, download) returns an outcome: how
// it ended and the text for the message line. The window shows that text in Status; the command
// line prints it. An empty text means the operation has nothing to add to what the line last
// showed.

#include <QString>

namespace yb {

enum class Ending {
    Done,       // the operation did what it was asked
    Failed,     // the logger or the line failed; the text says which request
    Cancelled,  // the user (or the program's end) stopped it
    Refused,    // refused for the reason its text gives (the port is not open, a value out of
                // range); nothing was sent
    Busy,       // another operation was running: nothing was sent, and there is nothing to show
};

struct Outcome {
    Ending ending = Ending::Done;
    QString text;

    bool done() const { return ending == Ending::Done; }
};

inline const QString kPortNotOpenText = QStringLiteral("CommPort Not Open...");
inline const QString kMessageSentText = QStringLiteral("Message Sent");

}  // namespace yb
