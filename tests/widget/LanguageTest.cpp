#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QDirIterator>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTabBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTranslator>
#include <QTreeWidget>

#include "app/AboutDlg.h"
#include "app/TCPIPConn.h"
#include "app/VeskoraRFConfigurationDlg.h"
#include "ids/DocumentsFolder.h"
#include "network/NetworkFile.h"
#include "res/PropertyGrid.h"
#include "res/Readings.h"
#include "support/LinkPeer.h"
#include "support/PromptRecorder.h"

namespace {

bool HasHangul(const QString& text) {
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.unicode() >= 0xAC00 && c.unicode() <= 0xD7A3; });
}

// The string literals of a C++ source that the pattern's first group holds,
// adjacent pieces joined and escapes undone, comment lines left out.
QStringList Literals(const QString& source, const QRegularExpression& runs) {
    QString code;
    for (const QString& line : source.split(u'\n')) {
        if (!line.trimmed().startsWith(QStringLiteral("//"))) code += line + u'\n';
    }
    static const QRegularExpression piece(QStringLiteral(R"re("((?:[^"\\\n]|\\.)*)")re"));
    QStringList found;
    for (const auto& run : runs.globalMatch(code)) {
        QString text;
        for (const auto& p : piece.globalMatch(run.captured(1))) text += p.captured(1);
        text.replace(QStringLiteral("\\r"), QStringLiteral("\r"))
            .replace(QStringLiteral("\\n"), QStringLiteral("\n"))
            .replace(QStringLiteral("\\\""), QStringLiteral("\""))
            .replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
        found << text;
    }
    return found;
}

const QRegularExpression& AnyRuns() {
    static const QRegularExpression runs(QStringLiteral(R"re(("(?:[^"\\\n]|\\.)*"(?:\s*"(?:[^"\\\n]|\\.)*")*))re"));
    return runs;
}

// The added English texts: the literals given to res::Added (or a local
// "added" that calls it).
const QRegularExpression& AddedRuns() {
    static const QRegularExpression runs(QStringLiteral(R"re(\b[Aa]dded\(((?:\s*"(?:[^"\\\n]|\\.)*")+)\s*\))re"));
    return runs;
}

// The literals that hold Hangul.
QStringList KoreanLiterals(const QString& source) {
    QStringList found = Literals(source, AnyRuns());
    found.removeIf([](const QString& text) { return !HasHangul(text); });
    return found;
}

QStringList AddedLiterals(const QString& source) { return Literals(source, AddedRuns()); }

// Each .cpp and .h file of the program, read.
template <typename Check>
void ForEachSource(Check check) {
    QDirIterator files(QStringLiteral(VESKORA_SOURCE_DIR "/src"), {QStringLiteral("*.cpp"), QStringLiteral("*.h")},
                       QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        check(file.fileName(), QString::fromUtf8(file.readAll()));
    }
}

// Every text a window shows: captions, titles, menus, tabs, lists, grid.
QStringList VisibleTexts(QWidget& window) {
    QStringList texts{window.windowTitle()};
    QList<QWidget*> widgets = window.findChildren<QWidget*>();
    for (QWidget* w : widgets) {
        texts << w->toolTip();
        if (auto* b = qobject_cast<QAbstractButton*>(w)) texts << b->text();
        if (auto* l = qobject_cast<QLabel*>(w)) texts << l->text();
        if (auto* g = qobject_cast<QGroupBox*>(w)) texts << g->title();
        if (auto* t = qobject_cast<QTabBar*>(w)) {
            for (int i = 0; i < t->count(); ++i) texts << t->tabText(i);
        }
        if (auto* c = qobject_cast<QComboBox*>(w)) {
            for (int i = 0; i < c->count(); ++i) texts << c->itemText(i);
        }
        if (auto* table = qobject_cast<QTableWidget*>(w)) {
            for (int col = 0; col < table->columnCount(); ++col) {
                if (table->horizontalHeaderItem(col)) texts << table->horizontalHeaderItem(col)->text();
                for (int row = 0; row < table->rowCount(); ++row) {
                    if (table->item(row, col)) texts << table->item(row, col)->text();
                }
            }
        }
        if (auto* tree = qobject_cast<QTreeWidget*>(w)) {
            for (int col = 0; col < tree->columnCount(); ++col) texts << tree->headerItem()->text(col);
            for (QTreeWidgetItemIterator it(tree); *it; ++it) {
                for (int col = 0; col < tree->columnCount(); ++col) texts << (*it)->text(col);
                if (auto* property = dynamic_cast<res::GridProperty*>(*it)) texts << property->GetDescription();
            }
        }
    }
    for (QAction* action : window.findChildren<QAction*>()) texts << action->text();
    for (QMenu* menu : window.findChildren<QMenu*>()) texts << menu->title();
    return texts;
}

QStringList Korean(const QStringList& texts) {
    QStringList korean;
    for (const QString& t : texts) {
        if (HasHangul(t)) korean << t;
    }
    return korean;
}

// The English reading for the test's lifetime; Korean again afterwards.
class InEnglish : public testing::Test {
protected:
    InEnglish() { english = res::ApplyLanguage(res::Language::English); }
    ~InEnglish() override { res::ClearReading(); }
    bool english = false;
    PromptRecorder prompts;
};

}  // namespace

TEST(Readings, EveryKoreanTextInTheSourcesHasAnEnglishReading) {
    QTranslator english;
    ASSERT_TRUE(english.load(QStringLiteral(":/i18n/veskora_en.qm")));
    int checked = 0;
    ForEachSource([&](const QString& fileName, const QString& source) {
        for (const QString& text : KoreanLiterals(source)) {
            const QString reading = english.translate(res::kReadingContext, text.toUtf8().constData());
            EXPECT_FALSE(reading.isEmpty())
                << "no English reading in " << qPrintable(fileName) << ": " << qPrintable(text);
            EXPECT_FALSE(HasHangul(reading)) << qPrintable(reading);
            ++checked;
        }
    });
    EXPECT_GT(checked, 30);  // the scan found the program's texts at all
}

TEST(Readings, EveryAddedTextInTheSourcesHasAKoreanReading) {
    QTranslator korean;
    ASSERT_TRUE(korean.load(QStringLiteral(":/i18n/veskora_ko.qm")));
    int checked = 0;
    ForEachSource([&](const QString& fileName, const QString& source) {
        for (const QString& text : AddedLiterals(source)) {
            const QString reading = korean.translate(res::kAddedContext, text.toUtf8().constData());
            EXPECT_FALSE(reading.isEmpty())
                << "no Korean reading in " << qPrintable(fileName) << ": " << qPrintable(text);
            // The placeholders survive the translation, each of them.
            for (int n = 1; n <= 4; ++n) {
                const QString mark = QStringLiteral("%%1").arg(n);
                EXPECT_EQ(reading.count(mark), text.count(mark)) << qPrintable(text);
            }
            ++checked;
        }
    });
    EXPECT_GT(checked, 100);  // the scan found the added texts at all
}

TEST_F(InEnglish, NoWindowOrMessageShowsKorean) {
    ASSERT_TRUE(english);
    CVeskoraRFConfigurationDlg main;
    main.Create();
    TCPIPConn conn(&main);
    CAboutDlg about(&main);
    EXPECT_EQ(Korean(VisibleTexts(main)), QStringList());
    EXPECT_EQ(Korean(VisibleTexts(conn)), QStringList());
    EXPECT_EQ(Korean(VisibleTexts(about)), QStringList());
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About VeskoraRFConfiguration"));

    // Texts set as the technician works, and a message, read in English too.
    RFConfigDlg& rf = main.m_dlgRfConfig;
    rf.OnBnClickedServiceStop();
    rf.m_bConnected = true;
    rf.OnBnClickedServiceStop();
    rf.OnBnClickedServiceChange();
    EXPECT_EQ(rf.m_btnServiceStop->text(), QStringLiteral("Restart service"));
    EXPECT_EQ(Korean(VisibleTexts(main)), QStringList());
    ASSERT_FALSE(prompts.shown.empty());
    EXPECT_EQ(prompts.Texts().front(), QStringLiteral("No device is connected.\r\n Connect the device and try again."));
    for (const auto& shown : prompts.shown) EXPECT_FALSE(HasHangul(shown.prompt.text + shown.prompt.caption));
}

namespace {
// Korean with its reading of the added texts, for the test's lifetime only.
class InKorean : public testing::Test {
protected:
    ~InKorean() override { res::ClearReading(); }
};
}  // namespace

TEST_F(InKorean, NoAddedTextShowsInEnglish) {
    ASSERT_TRUE(res::ApplyLanguage(res::Language::Korean));
    PromptRecorder prompts;
    prompts.answer = res::kIdNo;
    CVeskoraRFConfigurationDlg main;
    main.Create();
    // The Network tab asks before it reads over no link; the status bar says the link is down.
    main.m_pageNetwork.ReadAll();
    // A planned value puts a value's state in the tree.
    QTemporaryDir dir;
    network::Site plan;
    plan.repeaters[0].ids[3] = "R10091";
    plan.repeaters[0].radios[2].frequency = {"868300000", network::Origin::Planned, 0};
    std::string error;
    ASSERT_TRUE(network::SaveNetworkFile(plan, dir.filePath(QStringLiteral("plan.xml")).toStdString(), &error));
    main.m_pageNetwork.OpenPlanFile(dir.filePath(QStringLiteral("plan.xml")));
    // Only a text shown exactly as an added source can be told; one with its %1 filled in cannot.
    // Outside the Network tab, a text the sources also give outside res::Added ("Connect" on the
    // RF page, "Value" in the grid) is specified English and stays.
    QStringList specified;
    ForEachSource(
        [&](const QString&, QString source) { specified << Literals(source.remove(AddedRuns()), AnyRuns()); });
    const auto untranslated = [](const QStringList& texts, const QStringList& allowed) {
        QStringList found;
        for (const QString& text : texts) {
            if (res::Added(text.toUtf8().constData()) != text && !allowed.contains(text)) found << text;
        }
        return found;
    };
    EXPECT_EQ(untranslated(VisibleTexts(main.m_pageNetwork), {}), QStringList());
    EXPECT_EQ(untranslated(VisibleTexts(main), specified), QStringList());
    EXPECT_EQ(main.m_statusBar->LinkLabel(), QStringLiteral("연결 안 됨"));
    // The specified Korean texts are their own source, untouched.
    EXPECT_EQ(main.m_dlgRfConfig.m_btnServiceStop->text(), QStringLiteral("서비스 중지"));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_TRUE(HasHangul(prompts.shown.front().prompt.text + prompts.shown.front().prompt.caption));
}

TEST_F(InEnglish, TheWireTheLogAndTheIdFileStayTheSame) {
    // The same steps in each language: connect, stop the service, save the IDs.
    struct Outcome {
        QByteArray wire;
        QString log;
        QByteArray idFile;
    };
    const auto run = [this]() {
        Outcome out;
        Peer peer;
        CVeskoraRFConfigurationDlg main;
        main.Create();
        RFConfigDlg& rf = main.m_dlgRfConfig;
        AimAt(rf, peer.server.serverPort());
        rf.OnBnClickedConnect();
        EXPECT_TRUE(QTest::qWaitFor([&] { return peer.socket != nullptr; }, 3000));
        rf.OnBnClickedServiceStop();
        EXPECT_TRUE(peer.WaitForBytes(1));
        main.m_dlgIdSetting.OnBnClickedSaveIds();
        QFile file(QString::fromStdString(ids::LocateIdFile().idFilePath));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        out = {peer.received, rf.m_editLog->toPlainText(), file.readAll()};
        file.remove();
        return out;
    };
    ASSERT_TRUE(english);
    const Outcome inEnglish = run();
    res::ApplyLanguage(res::Language::Korean);
    const Outcome inKorean = run();
    EXPECT_EQ(inEnglish.wire, QByteArrayLiteral("AT+STOP\r\n"));
    EXPECT_EQ(inEnglish.wire, inKorean.wire);
    EXPECT_EQ(inEnglish.log, inKorean.log);
    EXPECT_FALSE(inKorean.idFile.isEmpty());
    EXPECT_EQ(inEnglish.idFile, inKorean.idFile);
}

TEST(Readings, KoreanIsTheDefaultAndTheChoiceIsRemembered) {
    EXPECT_EQ(res::SavedLanguage(), res::Language::Korean);
    {
        PromptRecorder prompts;
        CVeskoraRFConfigurationDlg main;
        main.Create();
        QMenu* language = nullptr;
        for (QMenu* menu : main.m_menuBar->findChildren<QMenu*>()) {
            if (menu->title() == QStringLiteral("언어(&L)")) language = menu;
        }
        ASSERT_NE(language, nullptr);
        ASSERT_EQ(language->actions().size(), 2);
        EXPECT_TRUE(language->actions()[0]->isChecked());
        language->actions()[1]->trigger();
        EXPECT_EQ(prompts.shown.size(), 1u);
        // The window stays Korean until the next start.
        EXPECT_EQ(main.m_dlgRfConfig.m_btnServiceStop->text(), QStringLiteral("서비스 중지"));
    }
    EXPECT_EQ(res::SavedLanguage(), res::Language::English);
}
