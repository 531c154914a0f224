#include "accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QWidget>

#include "helptable.h"
#include "imagecontrol.h"

namespace pobelo {

namespace {

// The page icons are buttons to a screen reader: a name, focus, and a press action.
class ImageControlAccessible : public QAccessibleWidget {
  public:
    explicit ImageControlAccessible(QWidget* widget)
        : QAccessibleWidget(widget, QAccessible::Button) {}
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (action == pressAction()) static_cast<ImageControl*>(widget())->activate();
    }
};

QAccessibleInterface* accessibleImageControl(const QString& className, QObject* object) {
    if (className == QLatin1String("pobelo::ImageControl") && object && object->isWidgetType())
        return new ImageControlAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

}  // namespace

void installAccessibleImageControls() {
    static const bool accessibleIcons = (QAccessible::installFactory(accessibleImageControl), true);
    Q_UNUSED(accessibleIcons);
}

void describeFromHelpTable(QWidget* window) {
    for (const ControlHelp& help : controlHelp()) {
        auto* control = window->findChild<QWidget*>(QLatin1String(help.objectName));
        if (!control) continue;
        control->setAccessibleName(QString::fromUtf8(help.name));
        control->setToolTip(QString::fromUtf8(help.tip));
        control->setAccessibleDescription(QString::fromUtf8(help.tip));
    }
}

void describeItemNumber(QWidget* number) {
    number->setToolTip(QString::fromUtf8(itemNumberTip()));
    number->setAccessibleDescription(number->toolTip());
}

QString fontButtonName(const QString& caption) {
    return caption == QLatin1String("Font") ? QStringLiteral("フォント")
                                            : QStringLiteral("フォント ") + caption;
}

QString itemNumberName(int page, int row, bool missed) {
    return QStringLiteral("%1の問題 %2%3")
        .arg(page == 0 ? QStringLiteral("右ページ") : QStringLiteral("左ページ"))
        .arg(row + 1)
        .arg(missed ? QStringLiteral("（できなかった）") : QString());
}

}  // namespace pobelo
