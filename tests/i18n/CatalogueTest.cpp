// The Japanese catalogue against the sources: lupdate reads src/ui into a copy
// of res/quillet_ja.ts (the committed file is never written), and the copy must
// hold a finished translation for every text and nothing left over from texts
// that are gone.

#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

struct Entry {
    QString Context;
    QString Source;
    QString Comment;
    QString Translation;
    QString Type; // "", "unfinished", "vanished" or "obsolete"
};

// The source tree: the build's, unless the environment names another (to try
// the checks on an older tree).
QString SourceDir() {
    const QString other = qEnvironmentVariable("QUILLET_I18N_SOURCE_DIR");
    return other.isEmpty() ? QStringLiteral(QUILLET_SOURCE_DIR) : other;
}

std::string Describe(const Entry& entry) {
    std::string text = "  [" + entry.Context.toStdString() + "] \"" + entry.Source.toStdString() + "\"";
    if (!entry.Comment.isEmpty())
        text += " (" + entry.Comment.toStdString() + ")";
    return text + "\n";
}

class CatalogueTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_entries.clear();
        s_parseError.clear();
        s_log.clear();
        QTemporaryDir work;
        ASSERT_TRUE(work.isValid());
        const QString source = SourceDir();
        const QString copy = work.filePath(QStringLiteral("quillet_ja.ts"));
        ASSERT_TRUE(QFile::copy(source + QStringLiteral("/res/quillet_ja.ts"), copy));
        QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);

        QProcess lupdate;
        lupdate.setProcessChannelMode(QProcess::MergedChannels);
        lupdate.setWorkingDirectory(source);
        // -I src: headers are included as "ui/...", and lupdate needs them to know the classes.
        lupdate.start(QStringLiteral(QUILLET_LUPDATE),
                      {QStringLiteral("-locations"), QStringLiteral("none"), QStringLiteral("-I"),
                       QStringLiteral("src"), QStringLiteral("src/ui"), QStringLiteral("-ts"), copy});
        ASSERT_TRUE(lupdate.waitForFinished(60000)) << "lupdate did not finish";
        s_log = QString::fromLocal8Bit(lupdate.readAll());
        s_exitCode = lupdate.exitStatus() == QProcess::NormalExit ? lupdate.exitCode() : -1;

        QFile file(copy);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&file);
        QString context;
        Entry entry;
        while (!xml.atEnd()) {
            xml.readNext();
            if (!xml.isStartElement())
                continue;
            const auto name = xml.name();
            if (name == QLatin1String("name")) {
                context = xml.readElementText();
            } else if (name == QLatin1String("message")) {
                entry = Entry{context, {}, {}, {}, {}};
            } else if (name == QLatin1String("source")) {
                entry.Source = xml.readElementText();
            } else if (name == QLatin1String("comment")) {
                entry.Comment = xml.readElementText();
            } else if (name == QLatin1String("translation")) {
                entry.Type = xml.attributes().value(QLatin1String("type")).toString();
                entry.Translation = xml.readElementText(QXmlStreamReader::IncludeChildElements);
                s_entries.push_back(entry);
            }
        }
        if (xml.hasError())
            s_parseError = xml.errorString();
    }

    static bool IsStale(const Entry& entry) {
        return entry.Type == QLatin1String("vanished") || entry.Type == QLatin1String("obsolete");
    }

    static inline std::vector<Entry> s_entries;
    static inline QString s_log;
    static inline QString s_parseError;
    static inline int s_exitCode = -1;
};

TEST_F(CatalogueTest, LupdateReadsEverySourceCleanly) {
    EXPECT_EQ(s_exitCode, 0) << s_log.toStdString();
    EXPECT_TRUE(s_parseError.isEmpty()) << s_parseError.toStdString();
    // A warning about a source line ("file:line: ...") means lupdate misread a
    // class or a call, and texts there may land in the wrong context or nowhere.
    const QRegularExpression warning(QStringLiteral("^\\S+\\.(cpp|h):\\d+: .*$"), QRegularExpression::MultilineOption);
    const auto match = warning.match(s_log);
    EXPECT_FALSE(match.hasMatch()) << match.captured(0).toStdString();
    const QRegularExpression found(QStringLiteral("Found (\\d+) source text"));
    const auto count = found.match(s_log);
    ASSERT_TRUE(count.hasMatch()) << s_log.toStdString();
    EXPECT_GT(count.captured(1).toInt(), 100) << "lupdate found too few texts; did it read src/ui?";
}

TEST_F(CatalogueTest, EveryTextHasAFinishedJapaneseTranslation) {
    ASSERT_FALSE(s_entries.empty());
    std::string missing;
    for (const Entry& entry : s_entries)
        if (!IsStale(entry) && (!entry.Type.isEmpty() || entry.Translation.trimmed().isEmpty()))
            missing += Describe(entry);
    EXPECT_TRUE(missing.empty()) << "texts without a finished translation in res/quillet_ja.ts:\n" << missing;
}

TEST_F(CatalogueTest, NoEntryIsLeftFromAGoneText) {
    ASSERT_FALSE(s_entries.empty());
    std::string stale;
    for (const Entry& entry : s_entries)
        if (IsStale(entry))
            stale += Describe(entry);
    EXPECT_TRUE(stale.empty()) << "entries of res/quillet_ja.ts whose text is no longer in the sources:\n" << stale;
}

// Arguments filled in at run time and keyboard accelerators must survive the
// translation. A translation may use "%s" more often than its source (the
// Japanese question about a group's property names the group).
TEST_F(CatalogueTest, TranslationsKeepArgumentsAndAccelerators) {
    const QRegularExpression qtArgument(QStringLiteral("%(\\d)"));
    const QRegularExpression printfArgument(QStringLiteral("%[sd]"));
    const QRegularExpression accelerator(QStringLiteral("&([^&\\s])"));
    std::string wrong;
    for (const Entry& entry : s_entries) {
        if (IsStale(entry) || entry.Translation.isEmpty())
            continue;
        const auto collect = [](const QRegularExpression& pattern, const QString& text) {
            std::multiset<QString> found;
            for (auto it = pattern.globalMatch(text); it.hasNext();)
                found.insert(it.next().captured(0));
            return found;
        };
        bool ok = collect(qtArgument, entry.Source) == collect(qtArgument, entry.Translation);
        for (const QString& argument : collect(printfArgument, entry.Source))
            ok = ok && entry.Source.count(argument) <= entry.Translation.count(argument);
        for (const QString& key : collect(accelerator, entry.Source))
            ok = ok && entry.Translation.contains(key, Qt::CaseInsensitive);
        if (!ok)
            wrong += Describe(entry) + "    -> \"" + entry.Translation.toStdString() + "\"\n";
    }
    EXPECT_TRUE(wrong.empty()) << "translations that lose an argument or an accelerator:\n" << wrong;
}

// lupdate only sees texts whose context is a literal; a context held in a
// variable hides the texts, and they stay English without any warning.
TEST_F(CatalogueTest, EveryTranslateCallNamesItsContextLiterally) {
    const QRegularExpression hidden(
        QStringLiteral("\\b(?:QCoreApplication|QGuiApplication|QApplication)::translate\\s*\\(\\s*+(?!\")"));
    const QRegularExpression trOfVariable(QStringLiteral("\\btr\\s*\\(\\s*+(?![\")])"));
    std::string found;
    QDirIterator files(SourceDir() + QStringLiteral("/src/ui"), {QStringLiteral("*.cpp"), QStringLiteral("*.h")},
                       QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        // tr() of a variable is fine where the texts are marked for lupdate.
        const bool marksTexts =
            text.contains(QLatin1String("QT_TR_NOOP")) || text.contains(QLatin1String("QT_TRANSLATE_NOOP"));
        for (const QRegularExpression* pattern : {&hidden, &trOfVariable}) {
            if (pattern == &trOfVariable && marksTexts)
                continue;
            for (auto it = pattern->globalMatch(text); it.hasNext();) {
                const auto match = it.next();
                const int line = static_cast<int>(text.left(match.capturedStart()).count(QLatin1Char('\n'))) + 1;
                const QString lineText = text.section(QLatin1Char('\n'), line - 1, line - 1).trimmed();
                if (!lineText.startsWith(QLatin1String("//")))
                    found += "  " + file.fileName().toStdString() + ":" + std::to_string(line) + "\n";
            }
        }
    }
    EXPECT_TRUE(found.empty()) << "translations that lupdate cannot see (context or text not literal):\n" << found;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
