#include "common/appstyle.h"

#include <QApplication>
#include <QIcon>
#include <QIconEngine>
#include <QPainter>
#include <QProxyStyle>

#include <memory>

namespace {

// A standard icon of the base style, asked for when the icon is first drawn or measured.
class StandardIconOnUse : public QIconEngine {
public:
    StandardIconOnUse(const QStyle *style, QStyle::StandardPixmap which) : m_style(style), m_which(which) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        return icon().pixmap(size, scale, mode, state);
    }
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return icon().availableSizes(mode, state);
    }
    // Qt's standard icons are never empty; asking would read the picture.
    bool isNull() override { return false; }
    QString key() const override { return QStringLiteral("StandardIconOnUse"); }
    QIconEngine *clone() const override { return new StandardIconOnUse(*this); }

private:
    const QIcon &icon()
    {
        if (!m_icon)
            m_icon = std::make_shared<QIcon>(m_style->standardIcon(m_which));
        return *m_icon;
    }

    const QStyle *m_style;
    QStyle::StandardPixmap m_which;
    std::shared_ptr<QIcon> m_icon; // shared by the copies that QIcon makes
};

class ApplicationStyle : public QProxyStyle {
public:
    ApplicationStyle() = default; // the desktop's style, as QApplication would choose it

    QIcon standardIcon(StandardPixmap which, const QStyleOption *option, const QWidget *widget) const override
    {
        if (which == SP_ToolBarHorizontalExtensionButton || which == SP_ToolBarVerticalExtensionButton)
            return QIcon(new StandardIconOnUse(baseStyle(), which));
        return QProxyStyle::standardIcon(which, option, widget);
    }
};

} // namespace

void useApplicationStyle()
{
    QApplication::setStyle(new ApplicationStyle);
}
