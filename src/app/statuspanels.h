#pragma once
// The status bar of the main window: panel 1 for the editor's own text, panel
// 2 the date (or a text while the display image reports progress), panel 3
// the time, panel 4 (shown after panel 1) the caret's line and column.

#include <QStatusBar>

class QLabel;
class QTimer;

namespace zeq {

class StatusPanels : public QStatusBar {
    Q_OBJECT
public:
    enum PanelStyle { TextStyle = 0, DateStyle = 6, TimeStyle = 5 };
    enum { CaretPanel = 4, PanelCount = 4 };

    explicit StatusPanels(QWidget *parent = nullptr);

    // Panels are numbered from 1.
    QString panelText(int panel) const;
    void setPanelText(int panel, const QString &text);
    int panelStyle(int panel) const;
    void setPanelStyle(int panel, int style);
    // Width of a panel in pixels, for placing the progress bar over panel 1.
    int panelWidth(int panel) const;

private:
    void refreshClock();
    QLabel *label(int panel) const;

    QLabel *m_panels[PanelCount];
    int m_styles[PanelCount] = {TextStyle, DateStyle, TimeStyle, TextStyle};
    QTimer *m_clock;
};

} // namespace zeq
