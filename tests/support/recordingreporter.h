// A message reporter that keeps every message, for tests that check what the user is told.
#pragma once

#include <QStringList>

#include "model/messagereporter.h"

class RecordingReporter : public velmo::MessageReporter
{
public:
    void showMessage(const QString &text) override { messages.append(text); }
    QStringList messages;
};
