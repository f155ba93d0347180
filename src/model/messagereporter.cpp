// Message reporters shared by the headless users of the model.
#include "model/messagereporter.h"

#include <cstdio>

namespace velmo {

void StderrReporter::showMessage(const QString &text)
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QByteArray bytes = lines.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

} // namespace velmo
