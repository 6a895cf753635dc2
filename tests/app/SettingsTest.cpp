// What the window remembers between runs - its position, the folder of the
// file dialogs, File > "Open Recent" with the last five documents, the
// picker's choice - kept in a store of the test process, never the user's;
// and values in the store that make no sense (a folder gone, a point off the
// disc) are ignored.
#include "WindowFixture.h"

#include <QDir>
#include <QMenu>
#include <QSettings>

#include <filesystem>
#include <fstream>
#include <string>

using namespace velmora;

namespace {

namespace fs = std::filesystem;

class SettingsTest : public ScriptedWindowTest {
protected:
    // A document of the default surface named name in the test's folder.
    QString Document(const std::string& name) {
        std::ofstream out(dir / name);
        for (const char* text : kDefaultTexts) out << text << "\r\n";
        return QString::fromStdString((dir / name).string());
    }
    void OpenWithDialog(const QString& path) {
        dialogs->openAnswers = {path};
        C().Open1->trigger();
    }
    QStringList RecentCaptions() const {
        QStringList captions;
        for (QAction* a : C().OpenRecent1->actions()) captions << a->text();
        return captions;
    }
    // Closes the window as the user does (no question: nothing unsaved) and
    // starts the program again.
    void Restart() {
        dialogs->confirmAnswers = {TConfirmAnswer::No};
        window->close();
        CreateWindow(1);
    }
    QString Folder() const { return QDir::toNativeSeparators(QString::fromStdString(dir.string())); }
};

TEST_F(SettingsTest, TheStoreIsTheTestProcesssOwn) {
    const QString file = TSettings().FileName();
    EXPECT_TRUE(file.startsWith(TestSettingsFolder().path() + "/")) << file.toStdString();
    EXPECT_FALSE(file.startsWith(QDir::homePath() + "/.config")) << file.toStdString();
}

TEST_F(SettingsTest, OpenRecentListsTheLastFiveDocumentsMostRecentFirst) {
    EXPECT_FALSE(C().OpenRecent1->menuAction()->isEnabled());
    for (int i = 1; i <= 7; ++i) OpenWithDialog(Document("d" + std::to_string(i) + ".vm4"));
    EXPECT_EQ(RecentCaptions(), QStringList({"&1 d7.vm4 - " + Folder(), "&2 d6.vm4 - " + Folder(),
                                             "&3 d5.vm4 - " + Folder(), "&4 d4.vm4 - " + Folder(),
                                             "&5 d3.vm4 - " + Folder()}));
    // A document opened again moves to the top, once.
    OpenWithDialog(QString::fromStdString((dir / "." / "d4.vm4").string()));
    EXPECT_EQ(RecentCaptions().size(), 5);
    EXPECT_EQ(RecentCaptions()[0], "&1 d4.vm4 - " + Folder());
    EXPECT_EQ(RecentCaptions()[1], "&2 d7.vm4 - " + Folder());

    // The list and the folder of the dialog outlive the run; choosing an
    // item opens that document.
    Restart();
    OpenWithDialog(QString());
    EXPECT_EQ(dialogs->dialogFolder, QString::fromStdString(dir.string()));
    EXPECT_TRUE(C().OpenRecent1->menuAction()->isEnabled());
    ASSERT_EQ(RecentCaptions().size(), 5);
    EXPECT_EQ(RecentCaptions()[0], "&1 d4.vm4 - " + Folder());
    C().OpenRecent1->actions()[2]->trigger();
    EXPECT_EQ(W().windowTitle(), "d6");
    EXPECT_TRUE(W().Session().alreadyParsed());
    EXPECT_EQ(RecentCaptions()[0], "&1 d6.vm4 - " + Folder());

    // A document gone since is reported and leaves the list.
    fs::remove(dir / "d7.vm4");
    C().OpenRecent1->actions()[2]->trigger();
    EXPECT_FALSE(W().InfoText().isEmpty());
    EXPECT_EQ(W().windowTitle(), "d6");
    EXPECT_EQ(RecentCaptions().size(), 4);
    EXPECT_FALSE(RecentCaptions().join(' ').contains("d7.vm4"));
}

TEST_F(SettingsTest, TheWindowPositionAndThePickersColourOutliveTheRun) {
    window->move(37, 29);
    ASSERT_TRUE(picker->Choose({60, 52}, 120));
    const TColor chosen = picker->curveColor;
    EXPECT_EQ(W().CurveColor(), chosen);
    EXPECT_NE(chosen, TColourPicker(nullptr).curveColor);
    Restart();
    EXPECT_EQ(window->pos(), QPoint(37, 29));
    EXPECT_EQ(picker->HSPt, (Vector2Int{60, 52}));
    EXPECT_EQ(picker->meterPos, 120);
    EXPECT_EQ(picker->curveColor, chosen);
    EXPECT_EQ(W().CurveColor(), chosen);
}

TEST_F(SettingsTest, ValuesThatMakeNoSenseAreIgnored) {
    {
        QSettings store(TSettings().FileName(), QSettings::IniFormat);
        store.setValue("window/position", QStringLiteral("left"));
        store.setValue("picker/point", QPoint(1, 1));  // outside the disc
        store.setValue("picker/column", 500);
        store.setValue("export/size", 999999);
        store.setValue("documents/recent", QStringList({"", "/a.vm4", "/a.vm4", "/b.vm4"}));
        store.setValue("dialogs/lastFolder", QStringLiteral("/velmora-no-such-folder"));
    }
    CreateWindow(1);
    EXPECT_EQ(picker->HSPt, (Vector2Int{40, 40}));
    EXPECT_EQ(picker->meterPos, 82);
    EXPECT_EQ(TSettings().FigureSize(), 1200);
    EXPECT_EQ(TSettings().RecentDocuments(), QStringList({"/a.vm4", "/b.vm4"}));
    EXPECT_EQ(TSettings().LastFolder(), QString());
    EXPECT_EQ(RecentCaptions().size(), 2);
}

}  // namespace
