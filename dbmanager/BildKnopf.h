#pragma once

// A picture button of the button bar: a picture that looks pressed while the mouse button
// is held on it (moved 20 twips right and down) and reports a click on release.

#include <QLabel>

namespace dbmanager {

class BildKnopf : public QLabel
{
    Q_OBJECT
public:
    explicit BildKnopf(int index, QWidget* parent = nullptr);
    int index() const { return m_index; }

Q_SIGNALS:
    void clicked(int index);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int m_index;
    bool m_gedrueckt = false;
};

} // namespace dbmanager
