// The context of one page's assembly.
#include "generator/pagecontext.h"

#include "generator/outputstatistics.h"
#include "model/document.h"
#include "model/site.h"

namespace velmo::gen {

void PageContext::report(const QString &message) const
{
    global->report(message);
    if (statistics != nullptr)
        statistics->messages << message;
}

QString PageContext::userImageFolder() const
{
    return global->programFolder() + QStringLiteral("/user_image");
}

QString PageContext::siteImageFolder() const
{
    return siteWorkingFolder + u'/' + site->imageFolder;
}

ImageOutput::Folders PageContext::imageFolders() const
{
    return {userImageFolder(), siteImageFolder(),
            global->temporaryFolder() + QStringLiteral("/.image-cache"), scaler};
}

} // namespace velmo::gen
