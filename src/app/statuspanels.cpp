#include "app/statuspanels.h"

#include <QDateTime>
#include <QLabel>
#include <QLocale>
#include <QTimer>

namespace zeq {

namespace {
// Design widths in twips: 5940, 1440, 1440; the caret panel takes its
// width from the first so that the bar still fits the window.
constexpr int kPanelWidths[StatusPanels::PanelCount] = {276, 96, 96, 120};
// Panel 4 came last but belongs beside the text panel.
constexpr int kPanelOrder[StatusPanels::PanelCount] = {0, 3, 1, 2};
} // namespace

StatusPanels::StatusPanels(QWidget *parent)
    : QStatusBar(parent), m_clock(new QTimer(this))
{
    setSizeGripEnabled(false);
    for (int i = 0; i < PanelCount; ++i) {
        m_panels[i] = new QLabel(this);
        m_panels[i]->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        m_panels[i]->setFrameShape(QFrame::Panel);
        m_panels[i]->setFrameShadow(QFrame::Sunken);
        m_panels[i]->setFixedWidth(kPanelWidths[i]);
        m_panels[i]->setContentsMargins(3, 0, 3, 0);
    }
    for (int i : kPanelOrder)
        addWidget(m_panels[i]);
    m_panels[1]->setAlignment(Qt::AlignCenter);
    m_panels[2]->setAlignment(Qt::AlignCenter);
    connect(m_clock, &QTimer::timeout, this, &StatusPanels::refreshClock);
    m_clock->start(1000);
    refreshClock();
}

QLabel *StatusPanels::label(int panel) const
{
    Q_ASSERT(panel >= 1 && panel <= PanelCount);
    return m_panels[panel - 1];
}

QString StatusPanels::panelText(int panel) const
{
    return label(panel)->text();
}

void StatusPanels::setPanelText(int panel, const QString &text)
{
    label(panel)->setText(text);
}

int StatusPanels::panelStyle(int panel) const
{
    return m_styles[panel - 1];
}

void StatusPanels::setPanelStyle(int panel, int style)
{
    m_styles[panel - 1] = style;
    refreshClock();
}

int StatusPanels::panelWidth(int panel) const
{
    return label(panel)->width();
}

void StatusPanels::refreshClock()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale;
    for (int i = 0; i < PanelCount; ++i) {
        if (m_styles[i] == DateStyle)
            m_panels[i]->setText(locale.toString(now.date(), QLocale::ShortFormat));
        else if (m_styles[i] == TimeStyle)
            m_panels[i]->setText(locale.toString(now.time(), QStringLiteral("HH:mm")));
    }
}

} // namespace zeq
