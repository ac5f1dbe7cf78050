// The property dialogs of objects and layouts, driven through their controls
// as a user drives them: shared values, changes to every selected object,
// the model's clamps shown at once, and Cancel leaving nothing behind.

#include "TZObjectDialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>
#include <QTabWidget>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "K3DFonts.h"
#include "KMemoryStream.h"
#include "KRegistry.h"
#include "KTestSupport.h"
#include "KZRadioGroup.h"
#include "TBitmapObject.h"
#include "TDefaultSettings.h"
#include "TLayout.h"
#include "TLayoutSettings.h"
#include "TProgramHome.h"
#include "TSettings.h"
#include "TTextObject.h"
#include "TZLayoutDialog.h"
#include "TZLayoutWindow.h"
#include "TZResizeDialog.h"

namespace {

namespace fs = std::filesystem;

template <typename T>
T* Find(QWidget& parent, const char* name) {
    T* found = parent.findChild<T*>(name);
    EXPECT_NE(found, nullptr) << name;
    return found;
}

// Types into a line as a user does: the text, then leaving the field.
void Type(QLineEdit* edit, const char* text) {
    edit->setText(text);
    edit->setModified(true);
    emit edit->editingFinished();
}

bool Differs(const QSpinBox* spin) {
    return spin->value() == spin->minimum();
}

class ObjectDialog : public ::testing::Test {
  protected:
    ObjectDialog() {
        ApplyDefaultSettings(settings);
        layout.ClearModified();
    }
    TTextObject& Text(int32_t x, int32_t y) {
        auto& o = dynamic_cast<TTextObject&>(*layout.AddObject(0));
        o.SetPosition(x, y);
        return o;
    }
    std::string Bytes() {
        KMemoryStream stream;
        layout.Write(stream);
        return stream.TakeBytes();
    }
    std::unique_ptr<TZObjectDialog> Dialog(std::vector<TLayoutObject*> objects) {
        return std::make_unique<TZObjectDialog>(std::move(objects), settings, names);
    }

    KRegistry settings;
    TLayout layout;
    TZSourceNames names{{"Lane", "Time"}, {"Pool: Result", "Pool: Clock"}};
};

TEST_F(ObjectDialog, ShowsWhatTheObjectsShareAndChangesEveryOne) {
    TTextObject& a = Text(20, 30);
    TTextObject& b = Text(300, 30);
    b.SetField(KTestText("Lane"));
    auto dialog = Dialog({&a, &b});
    EXPECT_EQ(dialog->Pages().count(), 2);  // Basic and Text
    auto* x = Find<QSpinBox>(*dialog, "x");
    auto* y = Find<QSpinBox>(*dialog, "y");
    EXPECT_TRUE(Differs(x));
    EXPECT_EQ(y->value(), 30);
    EXPECT_EQ(Find<QComboBox>(*dialog, "field")->currentText(), "");

    y->setValue(50);
    EXPECT_EQ(a.Y(), 50);
    EXPECT_EQ(b.Y(), 50);
    EXPECT_EQ(a.X(), 20);  // untouched values keep their differences
    EXPECT_EQ(b.X(), 300);
    EXPECT_TRUE(Differs(x));

    Type(Find<QLineEdit>(*dialog, "text"), "Lane %s");
    EXPECT_TRUE(a.Text().Equals(KTestText("Lane %s")));
    EXPECT_TRUE(b.Text().Equals(KTestText("Lane %s")));
    auto* field = Find<QComboBox>(*dialog, "field");
    field->setCurrentIndex(field->findText("Time"));
    emit field->activated(field->currentIndex());
    EXPECT_TRUE(a.Field().Equals(KTestText("Time")));
    EXPECT_TRUE(b.Field().Equals(KTestText("Time")));
    EXPECT_TRUE(layout.IsModified());
}

TEST_F(ObjectDialog, AValueOutOfRangeIsClampedAsTheModelClampsItAndShownAtOnce) {
    TTextObject& a = Text(20, 30);
    auto dialog = Dialog({&a});
    auto* lines = Find<QSpinBox>(*dialog, "lines");
    lines->setValue(40);
    EXPECT_EQ(a.Lines(), 25);
    EXPECT_EQ(lines->value(), 25);
    // A text's height is its font's and lines', whatever is typed.
    auto* height = Find<QSpinBox>(*dialog, "height");
    EXPECT_EQ(height->value(), a.Height());
    height->setValue(a.Height() + 7);
    EXPECT_EQ(height->value(), a.Height());
    auto* width = Find<QSpinBox>(*dialog, "width");
    width->setValue(5);
    EXPECT_EQ(a.Width(), TLayoutObject::kMinSide);
    EXPECT_EQ(width->value(), TLayoutObject::kMinSide);
    auto* trigger = Find<QLineEdit>(*dialog, "trigger");
    Type(trigger, "ABCDEFGHIJKLMNOPQRS");
    EXPECT_EQ(a.TriggerName().Length(), 15);
}

TEST_F(ObjectDialog, ClassPagesOnlyWhenEveryObjectHasThem) {
    TTextObject& text = Text(20, 30);
    TLayoutObject& bitmap = *layout.AddObject(1);
    auto mixed = Dialog({&text, &bitmap});
    EXPECT_EQ(mixed->Pages().count(), 1);
    EXPECT_EQ(mixed->findChild<QCheckBox*>("stretch"), nullptr);  // a text cannot stretch

    auto pictures = Dialog({&bitmap});
    ASSERT_EQ(pictures->Pages().count(), 2);
    Find<QCheckBox>(*pictures, "stretch")->click();
    EXPECT_TRUE(bitmap.Flags() & TLayoutObject::kStretch);
    Find<QSpinBox>(*pictures, "speed")->setValue(-250);
    EXPECT_EQ(dynamic_cast<TBitmapObject&>(bitmap).Speed(), -250);
    Find<KZRadioGroup>(*pictures, "type")->Button(0)->click();
    EXPECT_FALSE(bitmap.IsDynamic());
}

TEST_F(ObjectDialog, SourcesTickedForSomeObjectsShowHalfTickedAndATickGoesToAll) {
    TTextObject& a = Text(20, 30);
    TTextObject& b = Text(300, 30);
    for (TTextObject* o : {&a, &b}) {
        o->SetLocalOverride(true);
        o->SetSourceMode(1);
        o->SelectSource(0, true);
    }
    b.SelectSource(1, true);
    auto dialog = Dialog({&a, &b});
    auto& list = Find<TZSourceRule>(*dialog, "sourceRule")->List();
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(list.item(0)->checkState(), Qt::Checked);
    EXPECT_EQ(list.item(1)->checkState(), Qt::PartiallyChecked);
    list.item(1)->setCheckState(Qt::Checked);
    EXPECT_EQ(a.SourceMask(), 3u);
    EXPECT_EQ(b.SourceMask(), 3u);
    Find<KZRadioGroup>(*dialog, "override")->Button(0)->click();
    EXPECT_FALSE(a.Flags() & TLayoutObject::kLocalOverride);
    EXPECT_FALSE(Find<TZSourceRule>(*dialog, "sourceRule")->isEnabled());
}

TEST_F(ObjectDialog, ColoursComeFromTheTableOrAreCustom) {
    TTextObject& a = Text(20, 30);
    auto dialog = Dialog({&a});
    auto* face = Find<QWidget>(*dialog, "face");
    auto* choice = face->findChild<QComboBox*>();
    ASSERT_NE(choice, nullptr);
    EXPECT_EQ(choice->currentIndex(), static_cast<int>(kColorWhite));
    choice->setCurrentIndex(kColorRed);
    emit choice->activated(kColorRed);
    EXPECT_EQ(a.Font().face, kColorRed);
    choice->setCurrentIndex(KColorTable::kCount);  // Custom
    emit choice->activated(KColorTable::kCount);
    const QList<QSpinBox*> rgb = face->findChildren<QSpinBox*>();
    ASSERT_EQ(rgb.size(), 3);
    rgb[0]->setValue(200);
    rgb[2]->setValue(17);
    EXPECT_EQ(a.Font().face, KColorRGB(200, 0, 17));
    EXPECT_EQ(a.Font().border, kColorBlack);
}

TEST_F(ObjectDialog, CancelPutsTheLayoutBackAndOkIsOneUndoStep) {
    TTextObject& a = Text(20, 30);
    a.SetSelected(true);
    layout.ClearModified();
    TZLayoutWindow window(layout, settings, 1, 1, nullptr);
    const std::string before = Bytes();
    const auto edit = [&](bool keep) {
        window.EditInStep([&] {
            TZObjectDialog dialog(window.Selection(), settings, names);
            Find<QSpinBox>(dialog, "y")->setValue(99);
            Find<QSpinBox>(dialog, "lines")->setValue(3);
            return keep;
        });
    };
    edit(false);
    EXPECT_EQ(Bytes(), before);
    EXPECT_FALSE(layout.IsModified());
    EXPECT_FALSE(window.Undo());

    edit(true);
    TLayoutObject& edited = *layout.State().objects.Head();
    EXPECT_EQ(edited.Y(), 99);
    EXPECT_EQ(dynamic_cast<TTextObject&>(edited).Lines(), 3);
    EXPECT_TRUE(window.Undo());
    EXPECT_EQ(Bytes(), before);
}

TEST_F(ObjectDialog, LayoutPropertiesSetTheBackgroundAndTheSources) {
    TZLayoutDialog dialog(layout, settings, names);
    auto* choice = Find<QWidget>(dialog, "background")->findChild<QComboBox*>();
    ASSERT_NE(choice, nullptr);
    EXPECT_EQ(choice->currentIndex(), static_cast<int>(kColorBlue));
    choice->setCurrentIndex(kColorBackground);
    emit choice->activated(kColorBackground);
    EXPECT_EQ(layout.State().background, kColorBackground);
    auto* rule = Find<TZSourceRule>(dialog, "sourceRule");
    EXPECT_FALSE(rule->List().isEnabled());
    rule->Mode().Button(1)->click();
    rule->List().item(1)->setCheckState(Qt::Checked);
    EXPECT_EQ(layout.State().sourceMode, 1);
    EXPECT_EQ(layout.State().sourceMask, 2u);
}

// The dialog in English and in German, left in the test build's
// screenshots folder, with every text from the settings.
TEST_F(ObjectDialog, EveryDialogSpeaksTheChosenLanguageAndLeavesAScreenshot) {
    const char* bin = std::getenv("TESSARON_BIN");
    ASSERT_NE(bin, nullptr);
    const fs::path shots = fs::path(bin) / ".." / "screenshots";
    fs::create_directories(shots);
    for (const char* language : {"en", "de"}) {
        KTestFolder home;
        setenv("XDG_CONFIG_HOME", home.Path("config").c_str(), 1);
        if (std::string(language) == "de") {
            fs::copy_file(fs::path(bin) / "Deutsch.lng", home.Path("Deutsch.lng"));
            home.Put("tessaron.cfg", "Registry Version: 1.00\n\\Language\\Choice:String=de_DE\n");
        }
        TSettings german;
        ASSERT_EQ(german.Start(home.Path()), 0);
        K3DFonts fonts(german.Registry(), bin, nullptr);
        TTextObject& a = Text(20, 30);
        a.SetField(KTestText("Time"));
        TZObjectDialog dialog({&a}, german.Registry(), names);
        dialog.show();
        dialog.resize(560, dialog.sizeHint().height());
        if (std::string(language) == "de") {
            EXPECT_EQ(dialog.windowTitle(), "Objekt-Eigenschaften");
            EXPECT_EQ(dialog.Pages().tabText(0), "Allgemein");
        } else {
            EXPECT_EQ(dialog.windowTitle(), "Object Properties");
        }
        const auto save = [&](QWidget& shown, const std::string& name) {
            const fs::path file = shots / (name + "-" + language + ".png");
            EXPECT_TRUE(shown.grab().save(QString::fromStdString(file.string())));
        };
        for (int page = 0; page < dialog.Pages().count(); ++page) {
            dialog.Pages().setCurrentIndex(page);
            save(dialog, "object-dialog-" + std::to_string(page));
        }
        TLayoutSettings::SetApplicationFolder(KTestText(bin));
        auto& logo = dynamic_cast<TBitmapObject&>(*layout.AddObject(1));
        logo.SetDynamic(false);
        logo.SetFile(KTestText("Logo.tga"));
        TZObjectDialog picture({&logo}, german.Registry(), names);
        picture.show();
        picture.Pages().setCurrentIndex(1);
        save(picture, "object-dialog-bitmap");
        TZLayoutDialog properties(layout, german.Registry(), names);
        properties.show();
        save(properties, "layout-dialog");
        TZResizeDialog resize(german.Registry(), {640, 480});
        resize.show();
        save(resize, "resize-dialog");
        const QStringList labels = [&] {
            QStringList all;
            for (const QLabel* label : resize.findChildren<QLabel*>()) all << label->text();
            return all;
        }();
        const bool de = std::string(language) == "de";
        for (const char* label :
             {de ? "Alt:" : "Old:", de ? "Neu:" : "New:", de ? "Breite" : "Width", "640 × 480"})
            EXPECT_TRUE(labels.contains(QString::fromUtf8(label))) << label;
        EXPECT_EQ(resize.windowTitle(), de ? "Layout skalieren" : "Resize Layout");
    }
}

}  // namespace
