// The File menu's documents in the window: what Save writes, what Open puts
// into the edits, files that are refused, and the question before closing.
#include "WindowFixture.h"
#include "tests/TestFolder.h"

#include "app/ResourceStrings.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <fstream>
#include <sstream>

using namespace velmora;

namespace {

std::string Slurp(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const QString& path, const std::string& bytes) { std::ofstream(path.toStdString(), std::ios::binary) << bytes; }

const char* const kTorusDocument =
    "vm4\r\nQuorvel Dastimaro-Ulbenki\r\n0\r\n8\r\ncos(u)\r\nsin(u)\r\ncos(v)\r\nsin(v)\r\n0\r\n2 pi\r\n-pi\r\npi\r\n";

}  // namespace

TEST_F(ScriptedWindowTest, SaveAsWritesTheTwelveLinesOfTheDefaultSurface) {
    ASSERT_TRUE(W().ReadData());
    EXPECT_TRUE(C().Save1->isEnabled());
    dialogs->saveAnswers = {PathOf("default.vm4")};
    C().SaveAs1->trigger();
    EXPECT_EQ(dialogs->saveTitle, "Save");
    EXPECT_EQ(dialogs->saveFilter, "VelmoraR4 (*.vm4)");
    EXPECT_EQ(dialogs->saveSuffix, "vm4");
    EXPECT_EQ(Slurp(PathOf("default.vm4")),
              "vm4\r\nQuorvel Dastimaro-Ulbenki\r\n0\r\n8\r\n"
              "(1-0.1 cos(v)) cos(u) + 0.1 sen(u) sen(v)\r\n(1-0.1 cos(v)) sen(u) - 0.1 cos(u) sen(v)\r\n"
              "(1-0.4 cos(v)) cos(2u) + 0.8 sen(2u) sen(v)\r\n(1-0.4 cos(v)) sen(2u) - 0.8 cos(2u) sen(v)\r\n"
              "0\r\n2 pi\r\n0\r\n2.2\r\n");
    EXPECT_EQ(W().Filename(), PathOf("default.vm4"));
    EXPECT_FALSE(W().Session().dirty());
    EXPECT_FALSE(C().Save1->isEnabled());
    EXPECT_EQ(W().windowTitle(), "VelmoraR4");  // Save As leaves the caption
}

TEST_F(ScriptedWindowTest, SaveWritesTheTextLastReadNotTheEdit) {
    ASSERT_TRUE(W().ReadData());
    dialogs->saveAnswers = {PathOf("a.vm4")};
    C().SaveAs1->trigger();
    C().xEdit->setText("u v");  // typed, not read
    C().Save1->trigger();        // nothing to save: the input was saved since the read
    ASSERT_TRUE(W().ReadData());
    C().zEdit->setText("u^2");
    C().Save1->trigger();        // saves under the name without asking
    EXPECT_EQ(dialogs->saves, 1);
    const std::string text = Slurp(PathOf("a.vm4"));
    EXPECT_NE(text.find("\r\nu v\r\n"), std::string::npos);
    EXPECT_NE(text.find("(1-0.4 cos(v)) cos(2u) + 0.8 sen(2u) sen(v)"), std::string::npos);
    EXPECT_EQ(text.find("u^2"), std::string::npos);
}

TEST_F(ScriptedWindowTest, OpenReadsTheDocumentAndNamesTheWindowAfterIt) {
    WriteFile(PathOf("torus.vm4"), kTorusDocument);
    WriteFile(PathOf("notes.txt"), kTorusDocument);
    dialogs->openAnswers = {PathOf("notes.txt"), PathOf("torus.vm4")};
    C().Open1->trigger();
    EXPECT_EQ(dialogs->opens, 2);  // asked again until a .vm4 file was chosen
    EXPECT_EQ(dialogs->openFilter, "Velmora4 (*.vm4)");
    EXPECT_EQ(C().xEdit->text(), "cos(u)");
    EXPECT_EQ(C().vMinEdit->text(), "-pi");
    EXPECT_TRUE(W().Session().alreadyParsed());
    EXPECT_FALSE(W().Session().dirty());
    EXPECT_FALSE(C().Save1->isEnabled());
    EXPECT_EQ(W().windowTitle(), "torus");
    EXPECT_EQ(W().Filename(), PathOf("torus.vm4"));

    // A cancelled dialog changes nothing.
    C().Open1->trigger();
    EXPECT_EQ(W().Filename(), PathOf("torus.vm4"));
}

TEST_F(ScriptedWindowTest, AnOlderLayoutOpensAndAnUnsupportedVersionFailsToRead) {
    WriteFile(PathOf("old.vm4"), "u\nv\nu v\nu^2\n-1\n1\n-1\n1\n");
    ASSERT_TRUE(W().OpenDocument(PathOf("old.vm4")));
    EXPECT_EQ(C().zEdit->text(), "u v");
    EXPECT_TRUE(W().Session().alreadyParsed());
    EXPECT_TRUE(beeps.empty());

    WriteFile(PathOf("v1.vm4"), "vm4\r\nQuorvel Dastimaro-Ulbenki\r\n1\r\n8\r\nu\r\nv\r\nu v\r\nu^2\r\n-1\r\n1\r\n-1\r\n1\r\n");
    ASSERT_TRUE(W().OpenDocument(PathOf("v1.vm4")));
    EXPECT_EQ(C().xEdit->text(), "vm4");
    EXPECT_EQ(C().yEdit->text(), "Quorvel Dastimaro-Ulbenki");
    EXPECT_EQ(C().wEdit->text(), "8");
    EXPECT_EQ(W().InfoText(), QString::fromLatin1(res::ErrorReadingField) +
                                  QStringLiteral(": x(u,v): You mispelled a function or variable"));
    EXPECT_EQ(beeps.size(), 1u);
    EXPECT_FALSE(W().Session().alreadyParsed());
    EXPECT_EQ(W().windowTitle(), "v1");
}

TEST_F(ScriptedWindowTest, ARefusedFileLeavesTheEditsAndTheDocumentAsTheyWere) {
    WriteFile(PathOf("torus.vm4"), kTorusDocument);
    ASSERT_TRUE(W().OpenDocument(PathOf("torus.vm4")));
    C().xEdit->setText("typed");
    WriteFile(PathOf("short.vm4"), "u\r\nv\r\n0\r\n");
    std::string binary(64, '\0');
    WriteFile(PathOf("binary.vm4"), binary);
    std::filesystem::create_directories(dir / "folder.vm4");
    const struct {
        const char* name;
        const char* message;
    } cases[] = {{"short.vm4", "short.vm4 has fewer than eight lines: it is not a Velmora4 document"},
                 {"binary.vm4", "binary.vm4 is not a text file: it is not a Velmora4 document"},
                 {"folder.vm4", "folder.vm4 is a folder, not a document"},
                 {"gone.vm4", "Cannot open gone.vm4: No such file or directory"}};
    for (const auto& c : cases) {
        dialogs->openAnswers = {PathOf(c.name)};
        C().Open1->trigger();
        EXPECT_EQ(W().InfoText(), c.message);
        EXPECT_EQ(C().xEdit->text(), "typed");
        EXPECT_EQ(W().Filename(), PathOf("torus.vm4"));
        EXPECT_EQ(W().windowTitle(), "torus");
    }
    // The print title proposed follows the document really open.
    QString proposed;
    dialogs->configure = [&](TPageSetupDialog& form) {
        proposed = form.TitleEdit->text();
        return false;
    };
    C().Print1->trigger();
    EXPECT_EQ(proposed, "torus");
}

TEST_F(ScriptedWindowTest, AFailedSaveSaysSoAndKeepsTheInputUnsaved) {
    ASSERT_TRUE(W().ReadData());
    dialogs->saveAnswers = {"/proc/velmora-window-test.vm4"};
    C().SaveAs1->trigger();
    EXPECT_TRUE(W().InfoText().startsWith("Cannot save velmora-window-test.vm4: ")) << W().InfoText().toStdString();
    EXPECT_TRUE(W().Session().dirty());
    EXPECT_TRUE(C().Save1->isEnabled());
    EXPECT_EQ(W().Filename(), QString());
    // The next save that works clears the report.
    dialogs->saveAnswers = {PathOf("ok.vm4")};
    C().SaveAs1->trigger();
    EXPECT_EQ(W().InfoText(), QString());
    EXPECT_FALSE(W().Session().dirty());
}

TEST_F(ScriptedWindowTest, TheCloseQuestionHasThreeAnswers) {
    W().show();
    EXPECT_TRUE(W().close());  // nothing read: no question
    EXPECT_EQ(dialogs->questions, 0);
    W().show();
    ASSERT_TRUE(W().ReadData());

    dialogs->confirmAnswers = {TConfirmAnswer::Cancel};
    EXPECT_FALSE(W().close());
    EXPECT_TRUE(W().isVisible());

    // Yes without a name asks for one; cancelling it keeps the window open.
    dialogs->confirmAnswers = {TConfirmAnswer::Yes};
    EXPECT_FALSE(W().close());
    EXPECT_EQ(dialogs->saves, 1);

    dialogs->confirmAnswers = {TConfirmAnswer::Yes};
    dialogs->saveAnswers = {PathOf("kept.vm4")};
    EXPECT_TRUE(W().close());
    EXPECT_EQ(dialogs->questions, 3);
    EXPECT_TRUE(std::filesystem::exists(dir / "kept.vm4"));

    W().show();
    ASSERT_TRUE(W().ReadData());
    dialogs->confirmAnswers = {TConfirmAnswer::No};
    EXPECT_TRUE(W().close());
    EXPECT_FALSE(W().isVisible());
    EXPECT_EQ(dialogs->saves, 2);  // No writes nothing
}

TEST_F(ScriptedWindowTest, OpenAndOpenRecentAskTheCloseQuestionFirst) {
    W().show();
    WriteFile(PathOf("torus.vm4"), kTorusDocument);
    ASSERT_TRUE(W().ReadData());
    // uMax changed to pi and read: Open asks, and Cancel keeps everything.
    C().uMaxEdit->setText("pi");
    ASSERT_TRUE(W().ReadData());
    dialogs->openAnswers = {PathOf("torus.vm4")};
    dialogs->confirmAnswers = {TConfirmAnswer::Cancel};
    C().Open1->trigger();
    EXPECT_EQ(dialogs->questions, 1);
    EXPECT_EQ(dialogs->opens, 0);  // asked before the file dialog
    EXPECT_EQ(C().uMaxEdit->text(), "pi");
    EXPECT_TRUE(W().Session().dirty());
    EXPECT_EQ(W().windowTitle(), "VelmoraR4");
    // Closing still asks.
    dialogs->confirmAnswers = {TConfirmAnswer::Cancel};
    EXPECT_FALSE(W().close());
    EXPECT_EQ(dialogs->questions, 2);

    // No: the document replaces the input.
    dialogs->confirmAnswers = {TConfirmAnswer::No};
    C().Open1->trigger();
    EXPECT_EQ(dialogs->questions, 3);
    EXPECT_EQ(C().xEdit->text(), "cos(u)");
    EXPECT_EQ(W().windowTitle(), "torus");

    // Open Recent asks the same; unchanged input is not asked about.
    C().zEdit->setText("u v");
    dialogs->confirmAnswers = {TConfirmAnswer::Cancel};
    W().OnOpenRecent(PathOf("torus.vm4"));
    EXPECT_EQ(dialogs->questions, 4);
    EXPECT_EQ(C().zEdit->text(), "u v");
    C().zEdit->setText("cos(v)");
    W().OnOpenRecent(PathOf("torus.vm4"));
    EXPECT_EQ(dialogs->questions, 4);
}

TEST_F(ScriptedWindowTest, EditsChangedButNotReadAreChangesToo) {
    W().show();
    WriteFile(PathOf("torus.vm4"), kTorusDocument);
    ASSERT_TRUE(W().OpenDocument(PathOf("torus.vm4")));
    EXPECT_FALSE(W().EditsChanged());
    // Blanks around a text are no change: a read trims them.
    C().xEdit->setText("  cos(u) ");
    EXPECT_FALSE(W().EditsChanged());
    C().xEdit->setText("cos(2u)");
    EXPECT_TRUE(W().EditsChanged());
    dialogs->confirmAnswers = {TConfirmAnswer::Cancel};
    EXPECT_FALSE(W().close());
    EXPECT_EQ(dialogs->questions, 1);
    // Yes reads the edits before saving them under the document's name.
    dialogs->confirmAnswers = {TConfirmAnswer::Yes};
    EXPECT_TRUE(W().close());
    EXPECT_NE(Slurp(PathOf("torus.vm4")).find("cos(2u)"), std::string::npos);
    // An edit that cannot be read keeps the window open, with the reason.
    W().show();
    C().xEdit->setText("sin(");
    dialogs->confirmAnswers = {TConfirmAnswer::Yes};
    EXPECT_FALSE(W().close());
    EXPECT_TRUE(W().InfoText().startsWith("Error reading an edit field: x(u,v): ")) << W().InfoText().toStdString();
}

TEST_F(ScriptedWindowTest, NewShowsTheDefaultSurfaceWithoutANameAfterTheQuestion) {
    W().show();
    WriteFile(PathOf("torus.vm4"), kTorusDocument);
    ASSERT_TRUE(W().OpenDocument(PathOf("torus.vm4")));
    C().xEdit->setText("sin(u)");
    dialogs->confirmAnswers = {TConfirmAnswer::Cancel};
    C().New1->trigger();
    EXPECT_EQ(C().xEdit->text(), "sin(u)");
    EXPECT_EQ(W().Filename(), PathOf("torus.vm4"));
    dialogs->confirmAnswers = {TConfirmAnswer::No};
    C().New1->trigger();
    EXPECT_EQ(dialogs->questions, 2);
    const auto edits = C().InputEdits();
    for (int i = 0; i < kInputFields; ++i)
        EXPECT_EQ(edits[i]->text().toStdString(), DefaultSurfaceTexts()[i]) << i;
    EXPECT_EQ(W().Filename(), QString());
    EXPECT_EQ(W().windowTitle(), "VelmoraR4");
    EXPECT_TRUE(W().Session().alreadyParsed());
    // Nothing to save, nothing to ask.
    EXPECT_TRUE(W().close());
    EXPECT_EQ(dialogs->questions, 2);
}

TEST_F(ScriptedWindowTest, ExitWithACancelledSaveDialogStillEndsTheProgram) {
    W().show();
    ASSERT_TRUE(W().ReadData());
    C().Exit1->trigger();
    EXPECT_EQ(dialogs->saves, 1);
    EXPECT_EQ(dialogs->questions, 0);
    EXPECT_FALSE(W().isVisible());
}

TEST_F(ScriptedWindowTest, ExitWhoseSaveFailsKeepsTheWindowOpen) {
    W().show();
    ASSERT_TRUE(W().ReadData());
    dialogs->saveAnswers = {"/proc/velmora-exit-test.vm4"};
    C().Exit1->trigger();
    EXPECT_TRUE(W().isVisible());
    EXPECT_TRUE(W().InfoText().startsWith("Cannot save velmora-exit-test.vm4")) << W().InfoText().toStdString();

    dialogs->saveAnswers = {PathOf("exit.vm4")};
    C().Exit1->trigger();
    EXPECT_FALSE(W().isVisible());
    EXPECT_TRUE(std::filesystem::exists(dir / "exit.vm4"));
}

TEST(YesNotCancel, AsksWithItsOwnWordsAndAnswersByItsButtons) {
    TestApp();
    TSaveChangesQuestion dialog;
    EXPECT_EQ(dialog.windowTitle(), "Confirm");
    EXPECT_EQ(dialog.text(), "Do you want to save changes made?");
    EXPECT_EQ(dialog.YesButton->text(), "Yes");
    EXPECT_EQ(dialog.NoButton->text(), "No");
    EXPECT_EQ(dialog.CancelButton->text(), "Cancel");
    EXPECT_TRUE(dialog.YesButton->isDefault());
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
    dialog.show();
    dialog.NoButton->click();
    EXPECT_EQ(dialog.Answer(), TConfirmAnswer::No);
    EXPECT_FALSE(dialog.isVisible());
    dialog.show();
    dialog.YesButton->click();
    EXPECT_EQ(dialog.Answer(), TConfirmAnswer::Yes);
    // Closing it, by the close box or Escape, answers Cancel.
    dialog.show();
    EXPECT_EQ(dialog.Answer(), TConfirmAnswer::Cancel);
    dialog.close();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.Answer(), TConfirmAnswer::Cancel);
    dialog.show();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.Answer(), TConfirmAnswer::Cancel);
}
