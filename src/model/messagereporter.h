// Where the model's user-visible messages go. The GUI shows each as a modal message box,
// velmo-cli prints it to stderr, tests record it.
#pragma once

#include <QString>

namespace velmo {

class MessageReporter
{
public:
    virtual ~MessageReporter() = default;
    // text is one of the fixed Japanese messages; "\r\n" separates its lines.
    virtual void showMessage(const QString &text) = 0;
};

// Prints each message to stderr, one line per message line.
class StderrReporter : public MessageReporter
{
public:
    void showMessage(const QString &text) override;
};

} // namespace velmo
