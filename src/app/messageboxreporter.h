// Shows the model's and the generator's messages to the user as modal message boxes.
#pragma once

#include "model/messagereporter.h"

class MessageBoxWrapper;

class MessageBoxReporter : public velmo::MessageReporter
{
public:
    explicit MessageBoxReporter(MessageBoxWrapper &messageBoxes) : m_messageBoxes(messageBoxes) {}
    void showMessage(const QString &text) override;

private:
    MessageBoxWrapper &m_messageBoxes;
};
