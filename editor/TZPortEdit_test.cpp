#include "TZPortEdit.h"

#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSpinBox>
#include <QStackedWidget>

#include "KRegistry.h"
#include "KSerialPort.h"
#include "KTestSupport.h"
#include "KUtf8.h"
#include "TDefaultSettings.h"

namespace {

// COM3 is a pseudo-terminal, so exactly one known port is listed besides
// whatever serial devices the machine has.
class PortEditTest : public testing::Test {
  protected:
    PortEditTest() {
        char name[256];
        EXPECT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
        ApplyDefaultSettings(settings);
        settings.ApplyLine(KTestText(std::string("SerialPort\\Devices\\3:String=") + name));
        ports.Enumerate(settings, false);
        edit = std::make_unique<TZPortEdit>(settings, ports);
        edit->changed = [this] { ++edits; };
    }
    ~PortEditTest() override {
        close(master);
        close(slave);
    }

    template <typename Field>
    Field* Find(const char* name) {
        return edit->findChild<Field*>(QString::fromLatin1(name));
    }
    // The text the control writes, or "invalid".
    std::string Spec() {
        KString out;
        return edit->Spec(out) ? KUtf8Of(out) : "invalid";
    }
    void Show(const std::string& spec) { edit->SetSpec(KTestText(spec)); }
    void Choose(const char* combo, const QString& item) {
        QComboBox* box = Find<QComboBox>(combo);
        const int index = box->findText(item);
        ASSERT_GE(index, 0) << item.toStdString();
        box->setCurrentIndex(index);
    }
    // Key presses as a person types them, replacing what the field holds.
    static void Type(QWidget* field, const QString& text) {
        QKeyEvent selectAll(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier);
        QApplication::sendEvent(field, &selectAll);
        QKeyEvent erase(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
        QApplication::sendEvent(field, &erase);
        for (QChar c : text) {
            QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(field, &key);
        }
    }
    bool SerialShown() { return edit->findChild<QStackedWidget*>()->currentIndex() == 0; }

    int master = -1;
    int slave = -1;
    KRegistry settings;
    KSerialPorts ports;
    std::unique_ptr<TZPortEdit> edit;
    int edits = 0;
};

TEST_F(PortEditTest, ShownSpecificationsAreWrittenBackUnchanged) {
    for (const char* spec : {"3,19200,7,E,2.0,250", "-1,192.168.1.20,5000", "-2,0.0.0.0,4001",
                             "-3,10.0.0.255,9000", "0,9600,8,N,1.0", "0,19200,7,E,2.0"}) {
        SCOPED_TRACE(spec);
        Show(spec);
        EXPECT_EQ(Spec(), spec);
    }
    EXPECT_EQ(edits, 0);

    Show("3,19200,7,E,2.0,250");
    EXPECT_EQ(Find<QComboBox>("port")->currentText(), "COM3 (Serial Port)");
    EXPECT_EQ(Find<QComboBox>("parity")->currentText(), "Even");
    EXPECT_EQ(Find<QLineEdit>("refresh")->text(), "0.250");
    EXPECT_TRUE(SerialShown());
    EXPECT_TRUE(Find<QComboBox>("baud")->isEnabled());
    // No port: the line settings stay visible but cannot be edited.
    Show("0,9600,8,N,1.0");
    EXPECT_TRUE(SerialShown());
    EXPECT_FALSE(Find<QComboBox>("baud")->isEnabled());
    Show("-2,0.0.0.0,4001");
    EXPECT_FALSE(SerialShown());
    EXPECT_FALSE(Find<QLineEdit>("address")->isEnabled());
    // Columns a person would not write come back in the canonical form.
    Show("0x3,300,9,odd,1.5");
    EXPECT_EQ(Spec(), "3,300,8,O,1.5");
}

TEST_F(PortEditTest, EditsMakeTheSpecification) {
    Show("3,9600,8,N,1.0");
    Choose("port", "Network (listen)");
    Type(Find<QSpinBox>("ipPort"), "4001");
    EXPECT_EQ(Spec(), "-2,0.0.0.0,4001");
    EXPECT_GT(edits, 0);

    Choose("port", "Network (connect)");
    QLineEdit* address = Find<QLineEdit>("address");
    EXPECT_TRUE(address->isEnabled());
    Type(address, "10.1.2");
    EXPECT_EQ(Spec(), "invalid");
    Type(address, "10.1.2.300");
    EXPECT_EQ(Spec(), "invalid");
    Type(address, "10.1.2.3");
    EXPECT_EQ(Spec(), "-1,10.1.2.3,4001");

    Choose("port", "COM3 (Serial Port)");
    Choose("stopBits", "1.5");
    Type(Find<QComboBox>("baud")->lineEdit(), "250000");
    Type(Find<QLineEdit>("refresh"), "0.04");
    EXPECT_EQ(Spec(), "3,250000,8,N,1.5,40");
    // The refresh time is a duration as the operator types it.
    Type(Find<QLineEdit>("refresh"), "40 ms");
    EXPECT_EQ(Spec(), "invalid");
    Type(Find<QLineEdit>("refresh"), "0.04");
    Type(Find<QComboBox>("baud")->lineEdit(), "");
    EXPECT_EQ(Spec(), "invalid");
}

TEST_F(PortEditTest, AnEmptyAddressIsEveryAddress) {
    // A stored address that does not parse is what the channel reads as
    // 0.0.0.0: it shows empty.
    Show("-1,1.2.3.400,80");
    EXPECT_EQ(Find<QLineEdit>("address")->text(), "");
    EXPECT_EQ(Spec(), "-1,0.0.0.0,80");
    // An empty UDP address is the broadcast address, shown as 0.0.0.0.
    Show("-3,,5000");
    EXPECT_EQ(Spec(), "-3,0.0.0.0,5000");
}

TEST_F(PortEditTest, PortThatIsNotPresentKeepsItsNumber) {
    QComboBox* port = Find<QComboBox>("port");
    const int listed = port->count();
    Show("150,4800,8,N,1.0");
    EXPECT_EQ(port->currentText(), "COM150");
    EXPECT_EQ(Spec(), "150,4800,8,N,1.0");
    Show("151,4800,8,N,1.0");
    EXPECT_EQ(Spec(), "151,4800,8,N,1.0");
    EXPECT_EQ(port->count(), listed + 1);
    // Showing a present port drops the entry again.
    Show("3,9600,8,N,1.0");
    EXPECT_EQ(port->count(), listed);
    EXPECT_EQ(port->findText("COM151"), -1);
}

}  // namespace
