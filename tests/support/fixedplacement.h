#pragma once
// A window placement that only remembers: the settings read and write it
// without a window on screen.

#include "settings/settings.h"

namespace zeq {

class FixedPlacement : public WindowPlacement {
public:
    FixedPlacement(double top, double left, double height, double width)
        : m_top(top), m_left(left), m_height(height), m_width(width)
    {
    }
    double top() const override { return m_top; }
    double left() const override { return m_left; }
    double height() const override { return m_height; }
    double width() const override { return m_width; }
    void setTop(qint32 twips) override { m_top = twips; }
    void setLeft(qint32 twips) override { m_left = twips; }
    void setHeight(qint32 twips) override { m_height = twips; }
    void setWidth(qint32 twips) override { m_width = twips; }

private:
    double m_top, m_left, m_height, m_width;
};

} // namespace zeq
