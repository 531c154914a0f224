#include "seedbox.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionSpinBox>
#include <algorithm>

namespace pobelo {

namespace {
constexpr quint64 kHighest = 4294967295u;
}

SeedBox::SeedBox(quint32 low, const QString& zeroText, QWidget* parent)
    : QAbstractSpinBox(parent), low_(low), zeroText_(zeroText), value_(low) {
    showValue();
    // A number typed in is taken when it is finished (Enter, or the focus leaves).
    connect(this, &QAbstractSpinBox::editingFinished, this, [this] {
        if (const std::optional<quint32> typed = parse(lineEdit()->text())) setValue(*typed);
        showValue();
    });
}

std::optional<quint32> SeedBox::parse(const QString& input) const {
    const QString text = input.trimmed();
    if (!zeroText_.isEmpty() && text == zeroText_) return 0;
    bool ok = false;
    const quint64 n = text.toULongLong(&ok);
    if (!ok || n < low_ || n > kHighest) return std::nullopt;
    return quint32(n);
}

void SeedBox::showValue() {
    lineEdit()->setText(value_ == 0 && !zeroText_.isEmpty() ? zeroText_ : QString::number(value_));
}

void SeedBox::setValue(quint32 value) {
    value = std::max(value, low_);
    const bool changed = value != value_;
    value_ = value;
    showValue();
    if (changed) Q_EMIT valueChanged(value_);
}

void SeedBox::stepBy(int steps) {
    const qint64 stepped = std::clamp<qint64>(qint64(value_) + steps, low_, kHighest);
    setValue(quint32(stepped));
}

QSize SeedBox::sizeHint() const {
    ensurePolished();
    const QFontMetrics metrics(font());
    const int text = std::max(metrics.horizontalAdvance(QStringLiteral("4294967295 ")),
                              metrics.horizontalAdvance(zeroText_ + QLatin1Char(' ')));
    QStyleOptionSpinBox option;
    initStyleOption(&option);
    const QSize content(text + 2, lineEdit()->sizeHint().height());
    return style()->sizeFromContents(QStyle::CT_SpinBox, &option, content, this);
}

QAbstractSpinBox::StepEnabled SeedBox::stepEnabled() const {
    StepEnabled enabled = StepNone;
    if (value_ > low_) enabled |= StepDownEnabled;
    if (value_ < kHighest) enabled |= StepUpEnabled;
    return enabled;
}

QValidator::State SeedBox::validate(QString& input, int&) const {
    const QString text = input.trimmed();
    if (text.isEmpty() || (!zeroText_.isEmpty() && zeroText_.startsWith(text)))
        return QValidator::Intermediate;
    if (parse(text)) return QValidator::Acceptable;
    bool ok = false;
    const quint64 n = text.toULongLong(&ok);
    // Digits that could still become a number in range (e.g. a first digit below low).
    return ok && n <= kHighest ? QValidator::Intermediate : QValidator::Invalid;
}

void SeedBox::fixup(QString& input) const {
    input = value_ == 0 && !zeroText_.isEmpty() ? zeroText_ : QString::number(value_);
}

}  // namespace pobelo
