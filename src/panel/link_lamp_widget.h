#pragma once
// The link lamp in the panel's footer: a small round lamp and a short caption
// beside it, in the footer's blue. Clicking either asks for a resend. It takes
// no focus, so the panel's tab order is as it was.

#include "frontpanel/link_lamp.h"

#include <QWidget>

namespace zz::panel {

class LinkLampWidget : public QWidget {
    Q_OBJECT

public:
    explicit LinkLampWidget(QWidget *parent = nullptr);

    void show(const frontpanel::LampView &view);
    frontpanel::LampColour colour() const { return colour_; }
    QString caption() const { return caption_; }

    static constexpr int kLampDiameter = 12;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QRect captionRect() const;

    frontpanel::LampColour colour_ = frontpanel::LampColour::Grey;
    QString caption_;
};

}  // namespace zz::panel
