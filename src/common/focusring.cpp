#include "common/focusring.h"

#include <QApplication>
#include <QPainter>
#include <QProxyStyle>
#include <QRect>
#include <QStyleFactory>
#include <QStyleOption>
#include <QWidget>

namespace {

class FocusRingStyle : public QProxyStyle {
public:
    FocusRingStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override
    {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        if (element == PE_PanelLineEdit)
            ring(option, painter);
    }

    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override
    {
        QProxyStyle::drawControl(element, option, painter, widget);
        if (element == CE_PushButton)
            ring(option, painter);
    }

private:
    static void ring(const QStyleOption *option, QPainter *painter)
    {
        if (!(option->state & State_HasFocus))
            return;
        const QRect r = option->rect;
        const int w = FocusRingWidth;
        painter->fillRect(QRect(r.left(), r.top(), r.width(), w), FocusRingColour);
        painter->fillRect(QRect(r.left(), r.bottom() - w + 1, r.width(), w), FocusRingColour);
        painter->fillRect(QRect(r.left(), r.top(), w, r.height()), FocusRingColour);
        painter->fillRect(QRect(r.right() - w + 1, r.top(), w, r.height()), FocusRingColour);
    }
};

} // namespace

void showFocusClearly(QWidget *widget)
{
    auto *style = new FocusRingStyle;
    style->setParent(widget);
    widget->setStyle(style);
}
