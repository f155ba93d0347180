// The GUI's message reporter.
#include "app/messageboxreporter.h"

#include "app/messageboxwrapper.h"

void MessageBoxReporter::showMessage(const QString &text)
{
    m_messageBoxes.inform(text);
}
