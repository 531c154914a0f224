#pragma once

#include <QAbstractSpinBox>
#include <optional>

namespace pobelo {

// A box for a seed: every number from 0 (or 1) to 4294967295, as the command line and set files
// take them; QSpinBox stops at the largest int.
class SeedBox : public QAbstractSpinBox {
    Q_OBJECT
  public:
    // low is 0 or 1; 0 is shown as zeroText when it is not empty.
    SeedBox(quint32 low, const QString& zeroText, QWidget* parent = nullptr);

    quint32 value() const { return value_; }
    // Shown at once; valueChanged only when the value changes.
    void setValue(quint32 value);

    void stepBy(int steps) override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;

  Q_SIGNALS:
    void valueChanged(quint32 value);

  protected:
    StepEnabled stepEnabled() const override;

  private:
    // The number input stands for; nothing when it is none.
    std::optional<quint32> parse(const QString& input) const;
    void showValue();

    quint32 low_;
    QString zeroText_;
    quint32 value_;
};

}  // namespace pobelo
