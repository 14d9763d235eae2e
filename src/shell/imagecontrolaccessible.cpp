#include "imagecontrolaccessible.h"

#include "imagecontrol.h"

namespace {

QAccessibleInterface* imageControlInterface(const QString& className, QObject* object)
{
    if (className == QLatin1String("ImageControl"))
        if (auto* control = qobject_cast<ImageControl*>(object))
            return new ImageControlAccessible(control);
    return nullptr;
}

} // namespace

ImageControlAccessible::ImageControlAccessible(ImageControl* control) : QAccessibleWidget(control) {}

void ImageControlAccessible::install()
{
    QAccessible::installFactory(&imageControlInterface);
}

ImageControl* ImageControlAccessible::control() const
{
    return static_cast<ImageControl*>(widget());
}

// Only the title buttons carry a tooltip, and only they do something when clicked.
bool ImageControlAccessible::isButton() const
{
    return !control()->toolTip().isEmpty();
}

QAccessible::Role ImageControlAccessible::role() const
{
    return isButton() ? QAccessible::Button : QAccessible::Graphic;
}

QString ImageControlAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name && isButton())
        return control()->toolTip();
    return QAccessibleWidget::text(t);
}

QStringList ImageControlAccessible::actionNames() const
{
    return isButton() ? QStringList{pressAction()} : QStringList{};
}

void ImageControlAccessible::doAction(const QString& actionName)
{
    if (isButton() && actionName == pressAction())
        control()->click();
}
