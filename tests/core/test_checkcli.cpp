#include "platform/codepage.h"
#include "platform/modal.h"
#include "support/scriptedmodal.h"
#include "platform/regstore.h"
#include "ruby/checkcli.h"
#include "settings/registry.h"
#include "settings/settings.h"
#include "support/qtprint.h"
#include "support/tempconfig.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace zeq {
namespace {

const QString kPositionText = QStringLiteral("漢字セパレータの位置に間違いがあります。");
const QString kCountText = QStringLiteral("漢字セパレータの数に過不足があります。");

const QString kGoodText = QStringLiteral("`漢字`かんじ`の`練習`れんしゅう`です。\r\n"
                                         "ひらがなだけのぎょう\r\n"
                                         "\r\n"
                                         "`最後`さいご`\r\n");
const QString kBadText = QStringLiteral("`漢字`かんじ`の\r\n"   // 1 good
                                        "漢字だけ\r\n"          // 2 position
                                        "かな\r\n"              // 3 good
                                        "`練習`れんしゅう\r\n"  // 4 count
                                        "`間違`まちが`い");     // 5 good, no line end
const QString kHashText = QStringLiteral("#漢字#かんじ#の`きごう`\r\n");
const QString kStarText = QStringLiteral("*漢字*かんじ*\r\n");

struct CliRun {
    int status = -1;
    QByteArray outBytes;
    QString out;
    QString err;
};

class CheckCli : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_docs.isValid()); }

    QString docPath(const QString &name) const { return m_docs.filePath(name); }

    QString writeBytes(const QString &name, const QByteArray &bytes)
    {
        const QString path = docPath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        EXPECT_EQ(file.write(bytes), bytes.size());
        return path;
    }

    QString writeDocument(const QString &name, const QString &text)
    {
        const Cp932Encoded encoded = encodeCp932(text);
        EXPECT_TRUE(encoded.ok) << name.toStdString();
        return writeBytes(name, encoded.bytes);
    }

    CliRun run(const QStringList &arguments)
    {
        CliRun result;
        QBuffer outDevice(&result.outBytes);
        outDevice.open(QIODevice::WriteOnly);
        QTextStream out(&outDevice);
        QTextStream err(&result.err);
        result.status = runCheckCommand(arguments, out, err, m_config.storeFile());
        out.flush();
        err.flush();
        result.out = QString::fromUtf8(result.outBytes);
        return result;
    }

    // Writes the store the way the editor does, through the registry layer.
    void storeString(const QString &key, const QString &name, const QString &text)
    {
        RegStore store(m_config.storeFile());
        ScriptedModal modal;
        Registry registry(store, modal);
        qint32 disposition = 0;
        ASSERT_EQ(registry.regCreateKey(HKEY_CURRENT_USER, key, disposition), 1);
        if (!name.isEmpty()) {
            ASSERT_EQ(registry.regSetString(HKEY_CURRENT_USER, key, name, text), 1);
        }
        ASSERT_EQ(modal.calls.size(), 0);
    }

    void storeUserSeparators(const QString &a, const QString &b, const QString &c)
    {
        storeString(kEnvKey, QString(), QString());
        storeString(kOptionKey, QStringLiteral("UserSparator0"), a);
        storeString(kOptionKey, QStringLiteral("UserSparator1"), b);
        storeString(kOptionKey, QStringLiteral("UserSparator2"), c);
    }

    QByteArray storeBytes() const
    {
        QFile file(m_config.storeFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QStringList configEntries() const
    {
        QStringList entries;
        QDir dir(m_config.path());
        for (const QFileInfo &info :
             dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
            entries.append(info.fileName());
            if (info.isDir()) {
                for (const QString &inner : QDir(info.filePath())
                                                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                                           | QDir::NoDotAndDotDot))
                    entries.append(info.fileName() + QLatin1Char('/') + inner);
            }
        }
        return entries;
    }

    QTemporaryDir m_docs;
    test::TempConfig m_config;
};

TEST_F(CheckCli, ReportsEachMalformedLineWithFileAndLineNumber)
{
    const QString bad = writeDocument(QStringLiteral("bad.txt"), kBadText);
    const CliRun result = run({QStringLiteral("--check"), bad});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, bad + QStringLiteral(":2: ") + kPositionText + QLatin1Char('\n') + bad
                              + QStringLiteral(":4: ") + kCountText + QLatin1Char('\n'));
    EXPECT_EQ(result.err, QString());
}

TEST_F(CheckCli, ExitStatusSaysWhetherEveryLineOfEveryFileIsWellFormed)
{
    const QString good = writeDocument(QStringLiteral("good.txt"), kGoodText);
    const QString good2 = writeDocument(QStringLiteral("good2.txt"), QStringLiteral("かなだけ"));
    const QString empty = writeBytes(QStringLiteral("empty.txt"), QByteArray());
    const QString bad = writeDocument(QStringLiteral("bad.txt"), kBadText);
    const QString missing = docPath(QStringLiteral("missing.txt"));
    const QString withNul = writeBytes(QStringLiteral("nul.txt"), QByteArray("abc\0def", 7));
    const QString notCp932 = writeBytes(QStringLiteral("utf8.txt"), QByteArray("\x81\x20 \xFF"));

    struct Case {
        QStringList files;
        int status;
        int reportedLines;  // lines on out
        int failures;       // lines on err
    };
    const std::vector<Case> cases = {
        {{good}, 0, 0, 0},
        {{good, good2, empty}, 0, 0, 0},
        {{bad}, 1, 2, 0},
        {{good, bad}, 1, 2, 0},
        {{missing}, 2, 0, 1},
        {{withNul}, 2, 0, 1},
        {{notCp932}, 2, 0, 1},
        {{bad, missing}, 2, 2, 1},
        {{missing, bad, good}, 2, 2, 1},
        {{missing, withNul}, 2, 0, 2},
    };
    for (const Case &c : cases) {
        const CliRun result = run(QStringList{QStringLiteral("--check")} + c.files);
        const QString label = c.files.join(QLatin1Char(' '));
        EXPECT_EQ(result.status, c.status) << label.toStdString();
        EXPECT_EQ(result.out.count(QLatin1Char('\n')), c.reportedLines) << label.toStdString();
        EXPECT_EQ(result.err.count(QLatin1Char('\n')), c.failures) << label.toStdString();
    }
}

TEST_F(CheckCli, NamesTheReasonAFileCannotBeRead)
{
    const QString missing = docPath(QStringLiteral("missing.txt"));
    const QString folder = docPath(QStringLiteral("folder"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString withNul = writeBytes(QStringLiteral("nul.txt"), QByteArray("a\0b", 3));

    const CliRun result = run({QStringLiteral("--check"), missing, folder, withNul});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, QString());
    EXPECT_EQ(result.err, missing + QStringLiteral(": no such file\n") + folder + QStringLiteral(": is a folder\n")
                              + withNul + QStringLiteral(": not a Shift-JIS (CP932) text file\n"));
}

TEST_F(CheckCli, LoneLineFeedsEndLinesToo)
{
    const QString unix = writeDocument(QStringLiteral("unix.txt"), QStringLiteral("`漢`かん`\n字\n`字`じ\n"));
    const CliRun result = run({QStringLiteral("--check"), unix});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, unix + QStringLiteral(":2: ") + kPositionText + QLatin1Char('\n') + unix
                              + QStringLiteral(":3: ") + kCountText + QLatin1Char('\n'));
}

TEST(CheckCliSeparators, ParsesThreeCharactersWithDashForEmpty)
{
    struct Case {
        QString text;
        std::optional<SeparatorTriple> expected;
    };
    const QString none;
    const std::vector<Case> cases = {
        {QStringLiteral("```"), SeparatorTriple{QStringLiteral("`"), QStringLiteral("`"), QStringLiteral("`")}},
        {QStringLiteral("<|>"), SeparatorTriple{QStringLiteral("<"), QStringLiteral("|"), QStringLiteral(">")}},
        {QStringLiteral("-``"), SeparatorTriple{none, QStringLiteral("`"), QStringLiteral("`")}},
        {QStringLiteral("#-#"), SeparatorTriple{QStringLiteral("#"), none, QStringLiteral("#")}},
        {QStringLiteral("---"), SeparatorTriple{none, none, none}},
        {QStringLiteral("𠮟ab"), SeparatorTriple{QStringLiteral("𠮟"), QStringLiteral("a"), QStringLiteral("b")}},
        {QString(), std::nullopt},
        {QStringLiteral("``"), std::nullopt},
        {QStringLiteral("````"), std::nullopt},
        {QStringLiteral("--"), std::nullopt},
        {QStringLiteral("ab𠮟c"), std::nullopt},
    };
    for (const Case &c : cases) {
        const std::optional<SeparatorTriple> parsed = parseSeparatorArgument(c.text);
        ASSERT_EQ(parsed.has_value(), c.expected.has_value()) << c.text.toStdString();
        if (parsed) {
            for (int i = 0; i < 3; ++i)
                EXPECT_EQ((*parsed)[i], (*c.expected)[i]) << c.text.toStdString() << " #" << i;
        }
    }
}

TEST_F(CheckCli, SeparatorsOptionReplacesTheStoredTriple)
{
    const QString hashes = writeDocument(QStringLiteral("hash.txt"), kHashText);
    const QString good = writeDocument(QStringLiteral("good.txt"), kGoodText);

    EXPECT_EQ(run({QStringLiteral("--check"), hashes}).status, 1);  // ` by default
    EXPECT_EQ(run({QStringLiteral("--separators"), QStringLiteral("###"), QStringLiteral("--check"), hashes}).status,
              0);
    EXPECT_EQ(run({QStringLiteral("--check"), QStringLiteral("--separators=###"), hashes}).status, 0);
    EXPECT_EQ(run({QStringLiteral("--check"), QStringLiteral("--separators"), QStringLiteral("###"), good}).status,
              1);

    const CliRun nonUniform = run({QStringLiteral("--separators"), QStringLiteral("-``"), QStringLiteral("--check"), good,
                                hashes});
    EXPECT_EQ(nonUniform.status, 1);
    EXPECT_EQ(nonUniform.out.count(QLatin1Char('\n')), 2);  // once per file
    EXPECT_TRUE(nonUniform.out.startsWith(good + QStringLiteral(": lines cannot be checked with a non-uniform")))
        << nonUniform.out.toStdString();
}

TEST_F(CheckCli, UsageErrorsExitWithTwoAndPrintNothingOnOut)
{
    const QString good = writeDocument(QStringLiteral("good.txt"), kGoodText);
    const std::vector<QStringList> cases = {
        {},
        {QStringLiteral("--check")},
        {good},
        {QStringLiteral("--separators"), QStringLiteral("###"), good},
        {QStringLiteral("--check"), QStringLiteral("--separators")},
        {QStringLiteral("--check"), QStringLiteral("--separators"), QStringLiteral("##"), good},
        {QStringLiteral("--check"), QStringLiteral("--separators"), QStringLiteral("####"), good},
        {QStringLiteral("--check"), QStringLiteral("--separators="), good},
        {QStringLiteral("--check"), QStringLiteral("--separators"), QStringLiteral("###"), QStringLiteral("--separators"),
         QStringLiteral("###"), good},
        {QStringLiteral("--check"), QStringLiteral("--resolve"), good},
        {QStringLiteral("--check"), QStringLiteral("--verbose"), good},
        {QStringLiteral("--annotate"), QStringLiteral("--check"), good},
        {QStringLiteral("--check"), QStringLiteral("--in-place"), good},
        {QStringLiteral("--resolve"), QStringLiteral("-o"), docPath(QStringLiteral("out.txt")), good},
        {QStringLiteral("--annotate"), QStringLiteral("-o"), docPath(QStringLiteral("out.txt")), good, good},
        {QStringLiteral("--annotate"), QStringLiteral("--in-place"), QStringLiteral("-o"),
         docPath(QStringLiteral("out.txt")), good},
        {QStringLiteral("--annotate"), good, QStringLiteral("-o")},
    };
    for (const QStringList &arguments : cases) {
        const CliRun result = run(arguments);
        const std::string label = arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(result.status, 2) << label;
        EXPECT_EQ(result.out, QString()) << label;
        EXPECT_TRUE(result.err.startsWith(QStringLiteral("zeqedit: "))) << label << ": " << result.err.toStdString();
    }
}

TEST_F(CheckCli, HelpDescribesEveryOption)
{
    const CliRun result = run({QStringLiteral("--help")});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, QString());
    for (const char *option :
         {"--check", "--resolve", "--readings", "--annotate", "-o OUT", "--in-place", "--separators", "Exit status"})
        EXPECT_TRUE(result.out.contains(QLatin1String(option))) << option;
}

TEST_F(CheckCli, AnnotateWritesTheSeparatorsGivenAndRefusesWhatCp932CannotHold)
{
    const QString plain = writeDocument(QStringLiteral("plain.txt"), QStringLiteral("漢字\n"));
    const CliRun printed = run({QStringLiteral("--annotate"), QStringLiteral("--separators"), QStringLiteral("[|]"), plain});
    EXPECT_EQ(printed.out, QStringLiteral("[漢字|かんじ]\n"));
    // Nothing can be checked with such a triple: status 1, as for --resolve.
    EXPECT_EQ(printed.status, 1);

    // A separator CP932 has no code for cannot be written to a file; the
    // input stays as it was.
    const CliRun refused = run({QStringLiteral("--annotate"), QStringLiteral("--separators"), QStringLiteral("€€€"),
                                QStringLiteral("--in-place"), plain});
    EXPECT_EQ(refused.status, 2);
    EXPECT_TRUE(refused.err.startsWith(plain + QStringLiteral(": "))) << refused.err.toStdString();
    QFile file(plain);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("\x8a\xbf\x8e\x9a\n"));
}

TEST_F(CheckCli, AnnotateReadsAroundAKanjiTheDictionaryCannotReadAndNamesItsLine)
{
    const QString path = writeDocument(QStringLiteral("rock.txt"), QStringLiteral("漢字\n隣の大嵒に登った。\n"));
    const CliRun annotated = run({QStringLiteral("--annotate"), path});
    EXPECT_EQ(annotated.out, QStringLiteral("`漢字`かんじ`\n`隣`となり`の`大`おお`嵒に`登`のぼ`った。\n"));
    // The line stays faulty where the reading is missing, and says so.
    EXPECT_EQ(annotated.status, 1);
    EXPECT_TRUE(annotated.err.contains(path + QStringLiteral(":2: ")));
    EXPECT_TRUE(annotated.err.contains(QStringLiteral("1 kanji run(s) could not be read and have no reading (line 2)")))
        << annotated.err.toStdString();
}

TEST_F(CheckCli, ResolveAndReadingsPrintTheTextAsUtf8)
{
    const QString first = writeDocument(QStringLiteral("first.txt"),
                                        QStringLiteral("`漢字`かんじ`の\r\n`練習`れんしゅう`です。ｶﾅ\r\n"));
    const QString second = writeDocument(QStringLiteral("second.txt"), QStringLiteral("`山`やま`\n"));

    const CliRun kanji = run({QStringLiteral("--resolve"), first, second});
    EXPECT_EQ(kanji.status, 0);
    EXPECT_EQ(kanji.outBytes, QStringLiteral("漢字の\r\n練習です。ｶﾅ\r\n山\n").toUtf8());
    EXPECT_EQ(kanji.err, QString());

    const CliRun readings = run({QStringLiteral("--readings"), first, second});
    EXPECT_EQ(readings.status, 0);
    EXPECT_EQ(readings.outBytes, QStringLiteral("かんじの\r\nれんしゅうです。ｶﾅ\r\nやま\n").toUtf8());
}

TEST_F(CheckCli, ResolvePrintsMalformedLinesRawAndNamesThemOnErr)
{
    const QString bad = writeDocument(QStringLiteral("bad.txt"), kBadText);
    const CliRun result = run({QStringLiteral("--resolve"), bad});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, QStringLiteral("漢字の\r\n漢字だけ\r\nかな\r\n`練習`れんしゅう\r\n間違い"));
    EXPECT_EQ(result.err, bad + QStringLiteral(":2: ") + kPositionText + QLatin1Char('\n') + bad
                              + QStringLiteral(":4: ") + kCountText + QLatin1Char('\n'));

    const CliRun unreadable = run({QStringLiteral("--readings"), docPath(QStringLiteral("missing.txt")), bad});
    EXPECT_EQ(unreadable.status, 2);
    EXPECT_EQ(unreadable.out, QStringLiteral("かんじの\r\n漢字だけ\r\nかな\r\n`練習`れんしゅう\r\nまちがい"));

    const CliRun nonUniform = run({QStringLiteral("--readings"), QStringLiteral("--separators"), QStringLiteral("---"), bad});
    EXPECT_EQ(nonUniform.status, 1);
    EXPECT_EQ(nonUniform.out, kBadText);
    EXPECT_TRUE(nonUniform.err.contains(QStringLiteral("non-uniform"))) << nonUniform.err.toStdString();
}

TEST_F(CheckCli, LeavesAFreshConfigFolderEmpty)
{
    const QString good = writeDocument(QStringLiteral("good.txt"), kGoodText);
    const QString bad = writeDocument(QStringLiteral("bad.txt"), kBadText);
    EXPECT_EQ(run({QStringLiteral("--check"), good}).status, 0);
    EXPECT_EQ(run({QStringLiteral("--check"), bad, docPath(QStringLiteral("missing.txt"))}).status, 2);
    EXPECT_EQ(run({QStringLiteral("--resolve"), good}).status, 0);
    EXPECT_EQ(run({QStringLiteral("--readings"), good}).status, 0);

    EXPECT_FALSE(QFileInfo::exists(m_config.storeFile()));
    EXPECT_EQ(configEntries(), QStringList());
}

TEST_F(CheckCli, UsesTheUserSeparatorsOnceTheEditorHasRun)
{
    storeString(kCompanionOptionKey, QStringLiteral("Separator"), QStringLiteral("*"));
    storeUserSeparators(QStringLiteral("#"), QStringLiteral("#"), QStringLiteral("#"));
    const QByteArray before = storeBytes();
    ASSERT_FALSE(before.isEmpty());

    const QString hashes = writeDocument(QStringLiteral("hash.txt"), kHashText);
    const QString good = writeDocument(QStringLiteral("good.txt"), kGoodText);
    const QString stars = writeDocument(QStringLiteral("star.txt"), kStarText);
    EXPECT_EQ(run({QStringLiteral("--check"), hashes}).status, 0);
    EXPECT_EQ(run({QStringLiteral("--check"), good}).status, 1);
    EXPECT_EQ(run({QStringLiteral("--check"), stars}).status, 1);

    EXPECT_EQ(storeBytes(), before);
    EXPECT_EQ(configEntries(), QStringList({QStringLiteral("ZeqSoft"), QStringLiteral("ZeqSoft/registry.reg")}));
}

TEST_F(CheckCli, UsesTheCompanionSeparatorBeforeTheFirstRun)
{
    storeString(kCompanionOptionKey, QStringLiteral("Separator"), QStringLiteral("*"));
    const QString stars = writeDocument(QStringLiteral("star.txt"), kStarText);
    const QString good = writeDocument(QStringLiteral("good.txt"), kGoodText);
    EXPECT_EQ(run({QStringLiteral("--check"), stars}).status, 0);
    EXPECT_EQ(run({QStringLiteral("--check"), good}).status, 1);

    // The editor's keys are still not there: nothing was created.
    RegStore store(m_config.storeFile());
    EXPECT_EQ(store.openKey(HKEY_CURRENT_USER, kEnvKey), kErrorFileNotFound);
    EXPECT_EQ(store.openKey(HKEY_CURRENT_USER, kOptionKey), kErrorFileNotFound);
}

TEST_F(CheckCli, MissingUserSeparatorsCountAsEmpty)
{
    // The editor has run (its Env key exists) but the separators are gone:
    // it would start with three empty separators, and so does the checker.
    storeString(kEnvKey, QString(), QString());
    storeString(kOptionKey, QStringLiteral("UserSparator1"), QStringLiteral("`"));
    const QString good = writeDocument(QStringLiteral("good.txt"), kGoodText);
    const CliRun result = run({QStringLiteral("--check"), good});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, good + QStringLiteral(": lines cannot be checked with a non-uniform separator triple "
                                                "(\"\", \"`\", \"\"); all three must be the same character\n"));
}

TEST_F(CheckCli, LeavesADamagedStoreWhereItIs)
{
    const QByteArray damaged("this is not a registry file\n");
    ASSERT_TRUE(QDir().mkpath(QFileInfo(m_config.storeFile()).absolutePath()));
    {
        QFile file(m_config.storeFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(damaged), damaged.size());
    }
    const QString good = writeDocument(QStringLiteral("good.txt"), kGoodText);
    const CliRun result = run({QStringLiteral("--check"), good});
    EXPECT_EQ(result.status, 0);  // falls back to the back-quote
    EXPECT_TRUE(result.err.contains(m_config.storeFile())) << result.err.toStdString();

    EXPECT_EQ(storeBytes(), damaged);
    EXPECT_EQ(configEntries(), QStringList({QStringLiteral("ZeqSoft"), QStringLiteral("ZeqSoft/registry.reg")}));
}

TEST_F(CheckCli, UsesTheSeparatorsADamagedStoreStillHolds)
{
    // The editor keeps what it can read of such a file; so does the checker.
    storeUserSeparators(QStringLiteral("#"), QStringLiteral("#"), QStringLiteral("#"));
    QByteArray bytes = storeBytes();
    bytes.append("\"KanjiColor\"=\"cut short\n");
    {
        QFile file(m_config.storeFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    const QString hashes = writeDocument(QStringLiteral("hash.txt"), kHashText);
    const CliRun result = run({QStringLiteral("--check"), hashes});
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.err.contains(m_config.storeFile())) << result.err.toStdString();
    EXPECT_EQ(storeBytes(), bytes);
    EXPECT_EQ(configEntries(), QStringList({QStringLiteral("ZeqSoft"), QStringLiteral("ZeqSoft/registry.reg")}));
}

} // namespace
} // namespace zeq
