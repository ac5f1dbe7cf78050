#pragma once

#include <QWidget>
#include <functional>

#include "TDurationText.h"

class KRegistry;
class KSerialPorts;
class KString;
class QComboBox;
class QLineEdit;
class QSpinBox;
class QStackedWidget;

// Edits one port specification: the port (none, a COM port, or one of the
// three network kinds) and, below it, the line settings of a serial port or
// the address and port of a network channel. Texts come from
// \Strings\SerialPort\ of the settings given; the COM ports listed are the
// enumerated ones, plus the one a shown specification names when it is not
// enumerated, so that it is written back unchanged. The sub-controls carry
// object names: port, baud, dataBits, parity, stopBits, refresh, address,
// ipPort.
class TZPortEdit : public QWidget {
  public:
    TZPortEdit(KRegistry& settings, const KSerialPorts& ports, QWidget* parent = nullptr);

    // Shows a specification; what is malformed shows as its column's default,
    // except a network address, which shows empty.
    void SetSpec(const KString& spec);
    // The canonical text of what the control holds; false when that is no
    // valid specification (a baud rate or network address that does not
    // parse).
    bool Spec(KString& out) const;

    // Called after every edit by the user, not for SetSpec.
    std::function<void()> changed;

  private:
    void ShowKind();
    void Edited();

    QComboBox* port_;
    QStackedWidget* pages_;
    QWidget* serial_;
    QComboBox* baud_;
    QComboBox* dataBits_;
    QComboBox* parity_;
    QComboBox* stopBits_;
    QLineEdit* refresh_;
    TDurationText durations_;
    QLineEdit* address_;
    QSpinBox* ipPort_;
    int extraAt_;         // where a COM port that is not enumerated is listed
    bool extra_ = false;  // whether one is
    bool showing_ = false;
    QString comText_;  // the label before a COM number
};
