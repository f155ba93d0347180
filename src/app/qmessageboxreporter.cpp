// The GUI's message reporter.
#include "app/qmessageboxreporter.h"

#include "app/qmessageboxwrapper.h"

void QMessageBoxReporter::showMessage(const QString &text)
{
    m_messageBoxes.inform(text);
}
