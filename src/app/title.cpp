#include "app/title.h"

namespace zeq {

static_assert(sizeof(u"Zeq Text Editor〔－－〕－ ") / sizeof(char16_t) - 1 == kTitlePrefixLength);
static_assert(sizeof(u"Zeq Text Editor〔更新〕－ ") / sizeof(char16_t) - 1 == kTitlePrefixLength);

QString titleNamePart(const QString &title)
{
    return title.mid(kTitlePrefixLength);
}

bool isUntitled(const QString &title)
{
    return titleNamePart(title).startsWith(kUntitled);
}

QString modifiedTitle(const QString &title)
{
    return kModifiedPrefix + titleNamePart(title);
}

QString loadedTitle(const QString &path)
{
    return kCleanPrefix + path.toUpper();
}

QString writtenTitle(const QString &path)
{
    return kCleanPrefix + path;
}

} // namespace zeq
