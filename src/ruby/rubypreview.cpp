#include "ruby/rubypreview.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <cmath>

namespace zeq {

namespace {

// Room between the view's edges and the text, as the display image leaves it.
constexpr int kMargin = 4;

} // namespace

RubyPreview::RubyPreview(QWidget *parent) : QAbstractScrollArea(parent)
{
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAutoFillBackground(true);
    verticalScrollBar()->setSingleStep(1);
}

RubyPreview::~RubyPreview() = default;

void RubyPreview::setLines(const QStringList &lines, const SettingsRecord &settings)
{
    m_look = rubyLook(settings);
    QPalette palette = viewport()->palette();
    palette.setColor(QPalette::Base, m_look.background);
    palette.setColor(viewport()->backgroundRole(), m_look.background);
    viewport()->setPalette(palette);

    RubyLineMaker maker(settings);
    maker.reset();
    m_lines.clear();
    m_lines.reserve(lines.size());
    for (const QString &line : lines)
        m_lines.push_back(maker.next(line));
    m_layouts.clear();
    m_layouts.resize(m_lines.size());
    m_keptLayouts = 0;

    updateScrollRange();
    verticalScrollBar()->setValue(0);
    viewport()->update();
    emit visibleLinesChanged();
}

int RubyPreview::firstVisibleLine() const
{
    return verticalScrollBar()->value();
}

void RubyPreview::scrollToLine(int line)
{
    verticalScrollBar()->setValue(line);
}

qreal RubyPreview::wrapWidth() const
{
    return qMax(1, viewport()->width() - 2 * kMargin);
}

const RubyLineLayout &RubyPreview::lineLayout(int line)
{
    // Far more than a screenful, so the lines a caller walks stay laid out.
    constexpr std::size_t kMostKept = 2000;
    constexpr std::size_t kKeptAround = kMostKept / 4;
    std::unique_ptr<RubyLineLayout> &layout = m_layouts[std::size_t(line)];
    if (!layout) {
        if (m_keptLayouts >= kMostKept) {
            for (std::size_t i = 0; i < m_layouts.size(); ++i) {
                const std::size_t distance = i > std::size_t(line) ? i - line : line - i;
                if (m_layouts[i] && distance > kKeptAround) {
                    m_layouts[i].reset();
                    --m_keptLayouts;
                }
            }
        }
        layout = std::make_unique<RubyLineLayout>(m_lines[std::size_t(line)], m_look);
        ++m_keptLayouts;
    }
    layout->wrap(wrapWidth());
    return *layout;
}

int RubyPreview::lineAt(const QPoint &viewportPos)
{
    qreal top = kMargin;
    for (int line = firstVisibleLine(); line < lineCount() && top < viewport()->height(); ++line) {
        top += lineLayout(line).height();
        if (viewportPos.y() < top)
            return line;
    }
    return -1;
}

QList<RubyPreview::VisibleLine> RubyPreview::visibleLines()
{
    QList<VisibleLine> visible;
    qreal top = kMargin;
    for (int line = firstVisibleLine(); line < lineCount() && top < viewport()->height(); ++line) {
        const RubyLineLayout &layout = lineLayout(line);
        visible.append({line, top + layout.baseline()});
        top += layout.height();
    }
    return visible;
}

void RubyPreview::updateScrollRange()
{
    // Any line may be the first in view, the last one too.
    QScrollBar *bar = verticalScrollBar();
    bar->setRange(0, qMax(0, lineCount() - 1));
    bar->setPageStep(qMax(1, int((viewport()->height() - 2 * kMargin) / rubyRowHeight(m_look))));
}

void RubyPreview::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), m_look.background);
    qreal top = kMargin;
    for (int line = firstVisibleLine(); line < lineCount() && top < viewport()->height(); ++line) {
        const RubyLineLayout &layout = lineLayout(line);
        layout.draw(&painter, QPointF(kMargin, top));
        top += layout.height();
    }
}

void RubyPreview::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRange();
    // Rows wrap anew at the new width.
    emit visibleLinesChanged();
}

void RubyPreview::mouseDoubleClickEvent(QMouseEvent *event)
{
    const int line = lineAt(event->position().toPoint());
    if (line >= 0)
        emit lineActivated(line);
    event->accept();
}

void RubyPreview::scrollContentsBy(int, int)
{
    viewport()->update();
    emit visibleLinesChanged();
}

} // namespace zeq
