#pragma once

#include <QGroupBox>

class KRegistry;
class QCheckBox;
class QLineEdit;
class QSpinBox;

// The Web group of the Display page: the web output's address, port,
// token, delay, transparency and client limit. Apply writes what the user
// changed; the web output takes it at the program's next start.
class TZWebOptions : public QGroupBox {
  public:
    TZWebOptions(KRegistry& settings, QWidget* parent = nullptr);
    void Apply();

  private:
    enum Number { kPort, kDelay, kMaxClients, kNumbers };

    KRegistry& settings_;
    QLineEdit* address_;
    QLineEdit* token_;
    QSpinBox* numbers_[kNumbers];
    QCheckBox* transparent_;
};
