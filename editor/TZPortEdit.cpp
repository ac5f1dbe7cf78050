#include "TZPortEdit.h"

#include <QComboBox>
#include <QGridLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

#include "KRegistry.h"
#include "KSerialPort.h"
#include "KZText.h"
#include "TPortSpec.h"

namespace {

constexpr int32_t kNetConnect = -1;
constexpr int32_t kNetListen = -2;
constexpr int32_t kNetUdp = -3;

constexpr int32_t kBauds[] = {1200,  2400,  4800,  9600,  12800, 14400,
                              19200, 38400, 56000, 57600, 115200};

// An item text of a combo and the value it stands for.
struct Choice {
    const char16_t* name;
    int value;
};
constexpr Choice kDataBits[] = {
    {u"DataBits8", 8}, {u"DataBits7", 7}, {u"DataBits6", 6}, {u"DataBits5", 5}, {u"DataBits4", 4}};
constexpr Choice kParities[] = {{u"ParityNone", u'N'},
                                {u"ParityOdd", u'O'},
                                {u"ParityEven", u'E'},
                                {u"ParityMark", u'M'},
                                {u"ParitySpace", u'S'}};
constexpr Choice kStopBits[] = {
    {u"StopBitsOne", 10}, {u"StopBitsOneFive", 15}, {u"StopBitsTwo", 20}};

template <typename Field>
Field* Named(Field* field, const char* name) {
    field->setObjectName(QString::fromLatin1(name));
    return field;
}

// A label and its field in the given row and column pair of a grid.
void Put(QGridLayout* grid, int row, int pair, const QString& label, QWidget* field) {
    auto* shown = new QLabel(label);
    shown->setBuddy(field);
    grid->addWidget(shown, row, 2 * pair);
    grid->addWidget(field, row, 2 * pair + 1);
}

}  // namespace

TZPortEdit::TZPortEdit(KRegistry& settings, const KSerialPorts& ports, QWidget* parent)
    : QWidget(parent), durations_(settings) {
    const auto text = [&](const char16_t* name) {
        return KZSettingText(settings, u"\\Strings\\SerialPort\\", name);
    };
    const auto combo = [&](const char* name, const auto& choices) {
        auto* box = Named(new QComboBox, name);
        for (const Choice& c : choices) box->addItem(text(c.name), c.value);
        return box;
    };

    port_ = Named(new QComboBox, "port");
    port_->addItem(text(u"PortNone"), 0);
    for (const auto& p : ports.Ports()) port_->addItem(KZQString(p->label), p->number);
    extraAt_ = port_->count();
    port_->addItem(text(u"PortNetConnect"), kNetConnect);
    port_->addItem(text(u"PortNetListen"), kNetListen);
    port_->addItem(text(u"PortNetUDP"), kNetUdp);
    comText_ = text(u"PortLocal");

    // The serial page; a network page of the same size replaces it, so the
    // control keeps its size whatever kind is chosen.
    serial_ = new QWidget;
    auto* grid = new QGridLayout(serial_);
    grid->setContentsMargins(0, 0, 0, 0);
    baud_ = Named(new QComboBox, "baud");
    baud_->setEditable(true);
    baud_->setValidator(new QIntValidator(1, INT_MAX, baud_));
    for (int32_t b : kBauds) baud_->addItem(QString::number(b));
    dataBits_ = combo("dataBits", kDataBits);
    parity_ = combo("parity", kParities);
    stopBits_ = combo("stopBits", kStopBits);
    refresh_ = Named(new QLineEdit, "refresh");
    Put(grid, 0, 0, text(u"Baud"), baud_);
    Put(grid, 0, 1, text(u"DataBits"), dataBits_);
    Put(grid, 1, 0, text(u"Parity"), parity_);
    Put(grid, 1, 1, text(u"StopBits"), stopBits_);
    Put(grid, 2, 0, text(u"RepeatPeriod"), refresh_);

    auto* network = new QWidget;
    grid = new QGridLayout(network);
    grid->setContentsMargins(0, 0, 0, 0);
    address_ = Named(new QLineEdit, "address");
    address_->setMaxLength(15);  // the longest dotted quad
    ipPort_ = Named(new QSpinBox, "ipPort");
    ipPort_->setRange(0, 65535);
    Put(grid, 0, 0, text(u"IPAddress"), address_);
    Put(grid, 0, 1, text(u"IPPort"), ipPort_);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(1, 1);

    pages_ = new QStackedWidget;
    pages_->addWidget(serial_);
    pages_->addWidget(network);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(port_);
    layout->addWidget(pages_);

    connect(port_, &QComboBox::currentIndexChanged, this, [this] {
        ShowKind();
        Edited();
    });
    connect(baud_, &QComboBox::editTextChanged, this, &TZPortEdit::Edited);
    for (QComboBox* box : {dataBits_, parity_, stopBits_})
        connect(box, &QComboBox::currentIndexChanged, this, &TZPortEdit::Edited);
    connect(ipPort_, &QSpinBox::valueChanged, this, &TZPortEdit::Edited);
    for (QLineEdit* field : {address_, refresh_})
        connect(field, &QLineEdit::textChanged, this, &TZPortEdit::Edited);
    ShowKind();
}

void TZPortEdit::SetSpec(const KString& text) {
    const TPortSpec spec = TPortSpec::Parse(text);
    showing_ = true;
    if (extra_) port_->removeItem(extraAt_);
    extra_ = false;
    const int32_t number = spec.kind == TPortSpec::kNone ? 0 : spec.port;
    int index = port_->findData(number);
    if (index < 0) {  // a COM port that is not present now keeps its number
        index = extraAt_;
        port_->insertItem(index, comText_ + QString::number(number), number);
        extra_ = true;
    }
    port_->setCurrentIndex(index);
    const QString baud = QString::number(spec.baud);
    baud_->setCurrentIndex(baud_->findText(baud));
    baud_->setEditText(baud);
    dataBits_->setCurrentIndex(dataBits_->findData(spec.dataBits));
    parity_->setCurrentIndex(parity_->findData(static_cast<int>(spec.parity)));
    stopBits_->setCurrentIndex(stopBits_->findData(spec.stopTenths));
    // A negative period refreshes nothing, as 0 does.
    KString period;
    durations_.Append(period, std::max(spec.refresh, 0));
    refresh_->setText(KZQString(period));
    KString address;
    if (spec.hasAddress) TPortSpec::AppendAddress(address, spec.address);
    address_->setText(KZQString(address));
    ipPort_->setValue(spec.ipPort);
    ShowKind();
    showing_ = false;
}

bool TZPortEdit::Spec(KString& out) const {
    TPortSpec spec;
    spec.port = port_->currentData().toInt();
    if (spec.port >= 0) {
        // <none> keeps its line settings, as a new source's "0,9600,8,N,1.0" does.
        spec.kind = TPortSpec::kSerial;
        bool number = false;
        spec.baud = baud_->currentText().toInt(&number);
        if (!number || spec.baud < 1) return false;
        spec.dataBits = dataBits_->currentData().toInt();
        spec.parity = static_cast<KChar>(parity_->currentData().toInt());
        spec.stopTenths = stopBits_->currentData().toInt();
        if (!durations_.Parse(KZKString(refresh_->text()), &spec.refresh) || spec.refresh < 0)
            return false;
    } else {
        spec.kind = spec.port == kNetConnect  ? TPortSpec::kTcpConnect
                    : spec.port == kNetListen ? TPortSpec::kTcpListen
                                              : TPortSpec::kUdp;
        const QString shown = address_->text().trimmed();  // as pasted, with a space
        const KString address(reinterpret_cast<const KChar*>(shown.utf16()),
                              static_cast<int32_t>(shown.size()));
        // Listening is always on every local address, whatever the field holds;
        // an empty address is 0.0.0.0.
        if (spec.kind != TPortSpec::kTcpListen && !address.IsEmpty() &&
            !TPortSpec::ParseAddress(address, &spec.address))
            return false;
        spec.ipPort = static_cast<uint16_t>(ipPort_->value());
    }
    out.Empty();
    spec.Write(out);
    return true;
}

void TZPortEdit::ShowKind() {
    const int32_t port = port_->currentData().toInt();
    pages_->setCurrentIndex(port >= 0 ? 0 : 1);
    serial_->setEnabled(port > 0);
    address_->setEnabled(port != kNetListen);
}

void TZPortEdit::Edited() {
    if (!showing_ && changed) changed();
}
