// Shows the model's and the generator's messages to the user as modal message boxes.
#pragma once

#include "model/messagereporter.h"

class QMessageBoxWrapper;

class QMessageBoxReporter : public velmo::MessageReporter
{
public:
    explicit QMessageBoxReporter(QMessageBoxWrapper &messageBoxes) : m_messageBoxes(messageBoxes) {}
    void showMessage(const QString &text) override;

private:
    QMessageBoxWrapper &m_messageBoxes;
};
