#include "KZAlerts.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <climits>

#include "KRegistry.h"
#include "KTestSupport.h"
#include "KZErrorText.h"
#include "TDefaultSettings.h"

namespace {

class AlertsTest : public testing::Test {
  protected:
    AlertsTest() { ApplyDefaultSettings(settings); }

    std::string ErrorText(int32_t code, int32_t detail = -1) {
        return KUtf8Of(KZErrorText(settings, code, detail));
    }

    KRegistry settings;
};

TEST_F(AlertsTest, ErrorTextFallsBackToItsGroupThenToTheGeneralText) {
    EXPECT_EQ(ErrorText(3009), "Incorrect file version (3009).");
    EXPECT_EQ(ErrorText(5004, 5), "Serial communication transmit busy (5004,5).");
    EXPECT_EQ(ErrorText(5004, 0), "Serial communication transmit busy (5004,0).");
    EXPECT_EQ(ErrorText(3011), "File error (3011).");
    EXPECT_EQ(ErrorText(7000), "Operation failed (7000).");
    EXPECT_EQ(ErrorText(INT32_MIN, INT32_MAX), "Operation failed (" + std::to_string(INT32_MIN) +
                                                   "," + std::to_string(INT32_MAX) + ").");
    // A language file changes both the group text and the general text.
    settings.ApplyLine(KTestText("Strings\\Errors\\3000:String=Dateifehler"));
    settings.ApplyLine(KTestText("Strings\\Alerts\\OperationFailed:String=Fehlgeschlagen"));
    EXPECT_EQ(ErrorText(3011), "Dateifehler (3011).");
    EXPECT_EQ(ErrorText(7001), "Fehlgeschlagen (7001).");
}

TEST_F(AlertsTest, ResponderAnswersInPlaceOfTheUser) {
    KZAlerts alerts(settings);
    std::vector<std::tuple<KZAlerts::Kind, QString, QString>> shown;
    KZAlerts::Answer answer = KZAlerts::Answer::kNo;
    alerts.SetResponder([&](KZAlerts::Kind kind, const QString& title, const QString& text) {
        shown.emplace_back(kind, title, text);
        return answer;
    });
    alerts.ShowError(3011);
    alerts.ShowMessage(KTestText("Two\\nlines"));
    EXPECT_FALSE(alerts.Ask(KTestText("Copy"), KTestText("Again?")));
    answer = KZAlerts::Answer::kYes;
    EXPECT_TRUE(alerts.Ask(KTestText("Copy"), KTestText("Again?")));
    answer = KZAlerts::Answer::kCancel;
    EXPECT_EQ(alerts.AskYesNoCancel(KTestText("Save"), KTestText("Save it?")),
              KZAlerts::Answer::kCancel);
    ASSERT_EQ(shown.size(), 5u);
    EXPECT_EQ(shown[0], std::make_tuple(KZAlerts::Kind::kError, QString("Error"),
                                        QString("File error (3011).")));
    EXPECT_EQ(shown[1],
              std::make_tuple(KZAlerts::Kind::kMessage, QString("Message"), QString("Two\nlines")));
    EXPECT_EQ(shown[4],
              std::make_tuple(KZAlerts::Kind::kQuestion, QString("Save"), QString("Save it?")));
}

// Without a responder a real box comes up; a timer plays the user.
TEST_F(AlertsTest, BoxShowsTheSettingsButtonTexts) {
    settings.ApplyLine(KTestText("Strings\\Dialog\\Yes:String=Ja"));
    settings.ApplyLine(KTestText("Strings\\Dialog\\No:String=Nein"));
    settings.ApplyLine(KTestText("Strings\\Dialog\\Cancel:String=Abbrechen"));
    KZAlerts alerts(settings);
    QStringList buttons;
    QString text;
    QString press;
    auto playUser = [&] {
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            text = box->text();
            buttons.clear();
            for (QAbstractButton* b : box->buttons()) buttons << b->text();
            for (QAbstractButton* b : box->buttons())
                if (b->text() == press) return b->click();
            box->close();
        });
    };
    press = "Nein";
    playUser();
    EXPECT_EQ(alerts.AskYesNoCancel(KTestText("Save"), KTestText("Line\\nbreak")),
              KZAlerts::Answer::kNo);
    buttons.sort();
    EXPECT_EQ(buttons, QStringList({"Abbrechen", "Ja", "Nein"}));
    EXPECT_EQ(text, "Line\nbreak");
    press = "Ja";
    playUser();
    EXPECT_TRUE(alerts.Ask(KTestText("Copy"), KTestText("Again?")));
    buttons.sort();
    EXPECT_EQ(buttons, QStringList({"Ja", "Nein"}));
    press = "Ok";
    playUser();
    alerts.ShowError(3009);
    EXPECT_EQ(buttons, QStringList({"Ok"}));
    EXPECT_EQ(text, "Incorrect file version (3009).");
}

}  // namespace
