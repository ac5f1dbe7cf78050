#include "KZRegistryDialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "KTestSupport.h"
#include "TSettings.h"

namespace {

// Keystrokes, as a user types them.
void Type(QWidget* widget, const QString& text) {
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, c.toUpper().unicode(), Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
    }
}

class RegistryDialogTest : public testing::Test {
  protected:
    void SetUp() override {
        setenv("XDG_CONFIG_HOME", folder.Path("config").c_str(), 1);
        ASSERT_EQ(settings.Start(folder.Path()), 0);
        dialog = std::make_unique<KZRegistryDialog>(settings.Registry(), nullptr);
        dialog->show();
        list = dialog->findChild<QListView*>("settings");
        value = dialog->findChild<QLineEdit*>("value");
        ASSERT_TRUE(list && value);
    }
    QString Label(const char* name) { return dialog->findChild<QLabel*>(name)->text(); }
    QPushButton* Button(const char* name) { return dialog->findChild<QPushButton*>(name); }
    int Rows() { return list->model()->rowCount(); }
    QModelIndex Index(const QString& name) {
        const auto found = list->model()->match(list->model()->index(0, 0), Qt::DisplayRole, name,
                                                1, Qt::MatchExactly);
        return found.isEmpty() ? QModelIndex() : found[0];
    }
    int RowOf(const QString& name) { return Index(name).row(); }
    void Select(const QString& name) { list->setCurrentIndex(Index(name)); }
    // A press x pixels into a row.
    void Click(const QString& name, int x) {
        const QRect row = list->visualRect(Index(name));
        const QPointF at(row.left() + x, row.center().y());
        QMouseEvent press(QEvent::MouseButtonPress, at, list->viewport()->mapToGlobal(at),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &press);
    }
    // Answers the New Setting dialog; returns its title and types.
    QString AddNode(const QString& type, const QString& name) {
        QString seen;
        QTimer::singleShot(0, [&] {
            auto* ask = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            auto* types = ask->findChild<QComboBox*>();
            seen = ask->windowTitle() + ":";
            for (int i = 0; i < types->count(); ++i) seen += " " + types->itemText(i);
            types->setCurrentText(type);
            Type(ask->findChild<QLineEdit*>(), name);
            for (auto* button : ask->findChildren<QPushButton*>())
                if (button->text() == "Ok") button->click();
            if (ask->isVisible()) ask->reject();  // no Ok found
        });
        Button("new")->click();
        return seen;
    }
    // The configuration file as saved, in single bytes.
    std::string Saved() {
        EXPECT_EQ(settings.Save(), 0);
        const std::string bytes = folder.Get("tessaron.cfg");
        std::string narrow;
        for (size_t i = 2; i < bytes.size(); i += 2) narrow += bytes[i];
        return narrow;
    }

    KTestFolder folder;
    TSettings settings;
    std::unique_ptr<KZRegistryDialog> dialog;
    QListView* list = nullptr;
    QLineEdit* value = nullptr;
};

TEST_F(RegistryDialogTest, MarkersExpandGroupsAndTypedValuesReachTheHook) {
    EXPECT_EQ(dialog->windowTitle(), "Other Settings");
    EXPECT_EQ(Rows(), 8);  // General, Display, Layout, Sources, SerialPort, Web, Language, Strings
    Click("Display", 7);
    const int expanded = Rows();
    EXPECT_EQ(RowOf("Monitor"), RowOf("Display") + 1);
    Click("Scroll", 7);  // its indent, not its marker
    EXPECT_EQ(Rows(), expanded);
    Click("Scroll", 18 + 7);
    EXPECT_EQ(Rows(), expanded + 5);

    std::vector<int32_t> seen;
    KRInt* cache = settings.Registry().FindInt(KTestText("\\Display\\CacheSize"));
    cache->SetHook([&seen](KRInt&, int32_t v) { seen.push_back(v); });
    Select("CacheSize");
    EXPECT_EQ(Label("type") + " " + value->text(), "Int 1048576");
    const QString help = dialog->findChild<QPlainTextEdit*>("help")->toPlainText();
    EXPECT_GE(help.count('\n'), 2) << help.toStdString();
    EXPECT_TRUE(help.endsWith("\nDefault: 1048576")) << help.toStdString();
    Type(value, "abc");  // typed over the value shown
    EXPECT_EQ(cache->value, 1048576);
    value->selectAll();
    Type(value, "42");
    EXPECT_EQ(seen, (std::vector<int32_t>{4, 42}));
    Select("Left");
    ASSERT_EQ(value->text(), "0");
    Type(value, "1920");
    EXPECT_EQ(settings.Registry().FindInt(KTestText("\\Display\\Left"))->value, 1920);

    Click("Display", 7);
    EXPECT_EQ(Rows(), 8);
    EXPECT_EQ(Label("name"), "Display");

    // A text longer than the field's limit is not cut by being shown and edited.
    settings.Registry().ApplyLine(KTestText("General\\Long:String=" + std::string(300, 'x')));
    Click("General", 7);
    Select("Long");
    QKeyEvent end(QEvent::KeyPress, Qt::Key_End, Qt::NoModifier);
    QApplication::sendEvent(value, &end);
    QKeyEvent backspace(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
    QApplication::sendEvent(value, &backspace);
    // A text takes effect when its editing ends, here with Return.
    EXPECT_EQ(settings.Registry().StringOf(KTestText("\\General\\Long")).Length(), 300);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(value, &enter);
    EXPECT_EQ(settings.Registry().StringOf(KTestText("\\General\\Long")).Length(), 299);
}

TEST_F(RegistryDialogTest, DeletedGroupsAreLeftOutOfTheConfiguration) {
    settings.Registry().ApplyLine(KTestText("Layout\\Open\\1:String=meet.lay"));
    Click("Layout", 7);
    Select("Open");
    Button("delete")->click();
    EXPECT_EQ(Button("delete")->text(), "Undelete");
    const std::string saved = Saved();
    EXPECT_EQ(saved.find("\\Layout\\Open\\"), std::string::npos) << saved;
    EXPECT_NE(saved.find("\\Layout\\AutoResize:Int,1,,=0\r\n\\Sources\\"), std::string::npos);
}

TEST_F(RegistryDialogTest, NewSettingsFollowTheSelection) {
    Click("Display", 7);
    Select("CacheSize");
    const int row = list->currentIndex().row();
    EXPECT_EQ(AddNode("Bool", "X"), "New Setting: Group String Int Rat Bool Float");
    EXPECT_EQ(list->currentIndex().row(), row + 1);
    EXPECT_EQ(Label("name") + " " + Label("type") + " " + value->text(), "X Bool 0");
    const int rows = Rows();
    AddNode("Int", "");
    AddNode("Int", ":\\ =");  // no name character
    EXPECT_EQ(Rows(), rows);

    // In a closed group the new node comes first and is the row below.
    Select("Layout");
    AddNode("Int", "First");
    EXPECT_EQ(list->currentIndex().row(), RowOf("First"));
    EXPECT_EQ(RowOf("First"), RowOf("Layout") + 1);
    const std::string saved = Saved();
    EXPECT_NE(saved.find("\\Display\\CacheSize:Int,1,,=1048576\r\n\\Display\\X:Bool,1=0\r\n"),
              std::string::npos);
    EXPECT_NE(saved.find("\\Layout\\:,1=\r\n\\Layout\\First:Int,1,,=0\r\n"), std::string::npos);
}

}  // namespace
