// Files from other tools: their encodings on the way in, the characters
// Shift-JIS cannot hold on the way out.

#include "document/docfile.h"
#include "document/unmappable.h"
#include "platform/codepage.h"
#include "support/qtprint.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace zeq {
namespace {

TEST(Unmappable, EveryStandardEquivalentIsACp932CharacterForOneThatIsNot)
{
    int found = 0;
    for (char32_t codePoint = 0x80; codePoint < 0x10000; ++codePoint) {
        const std::optional<QString> equivalent = cp932Equivalent(codePoint);
        if (!equivalent)
            continue;
        ++found;
        // Not first: a byte-order mark there is taken for the text's own.
        const QString character = QStringLiteral("a") + QString::fromUcs4(&codePoint, 1);
        EXPECT_FALSE(encodeCp932(character).ok) << std::hex << uint(codePoint) << " needs no stand-in";
        EXPECT_TRUE(encodeCp932(*equivalent).ok) << std::hex << uint(codePoint) << " has a stand-in CP932 lacks";
    }
    EXPECT_GE(found, 9);
}

TEST(Unmappable, FoundWithLineColumnAndPositionInTheEditText)
{
    const QString text = QStringLiteral("a〜\r\n𠮷b\u200B\nc");
    const QList<UnmappableCharacter> found = findUnmappable(text);
    ASSERT_EQ(found.size(), 3);
    EXPECT_EQ((std::vector<int>{found[0].line, found[0].column, found[1].line, found[1].column, found[2].line,
                                found[2].column}),
              (std::vector<int>{1, 2, 2, 1, 2, 3}));
    EXPECT_EQ(found[1].codePoint, char32_t(0x20BB7));
    EXPECT_EQ(found[1].length, 2);
    EXPECT_EQ(text.mid(found[2].position, found[2].length), QStringLiteral("\u200B"));
    EXPECT_TRUE(findUnmappable(QStringLiteral("漢字～")).isEmpty());
}

struct EncodingCase {
    const char *what;
    QByteArray bytes;
    DocumentRead::Status status;
    QString encoding;
    QString text;
};

TEST(Unmappable, FilesInOtherEncodingsAreRecognisedByTheirBytes)
{
    const QString japanese = QStringLiteral("漢字〜かな\r\n");
    auto utf16 = [&](QStringConverter::Encoding encoding) {
        return QByteArray(QStringEncoder(encoding, QStringConverter::Flag::WriteBom).encode(japanese));
    };
    const std::vector<EncodingCase> cases = {
        {"UTF-8 without a mark", japanese.toUtf8(), DocumentRead::Ok, QStringLiteral("UTF-8"), japanese},
        {"UTF-8 with a mark", QByteArray("\xEF\xBB\xBF") + japanese.toUtf8(), DocumentRead::Ok,
         QStringLiteral("UTF-8 (BOM 付き)"), japanese},
        {"UTF-16LE", utf16(QStringConverter::Utf16LE), DocumentRead::Ok, QStringLiteral("UTF-16LE"), japanese},
        {"UTF-16BE", utf16(QStringConverter::Utf16BE), DocumentRead::Ok, QStringLiteral("UTF-16BE"), japanese},
        {"CP932 stays CP932", encodeCp932(QStringLiteral("漢字かな\r\n")).bytes, DocumentRead::Ok, QString(),
         QStringLiteral("漢字かな\r\n")},
        {"ASCII is CP932", QByteArray("abc\r\n"), DocumentRead::Ok, QString(), QStringLiteral("abc\r\n")},
        {"a broken UTF-16 pair", QByteArray("\xFF\xFE\x00\xD8", 4), DocumentRead::NotText, QString(), QString()},
    };
    QTemporaryDir dir;
    for (const EncodingCase &c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = dir.filePath(QStringLiteral("f.txt"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.bytes);
        file.close();
        const DocumentRead read = readDocumentFile(path);
        EXPECT_EQ(read.status, c.status);
        EXPECT_EQ(read.otherEncoding, c.encoding);
        EXPECT_EQ(read.text, c.text);
    }
}

} // namespace
} // namespace zeq
