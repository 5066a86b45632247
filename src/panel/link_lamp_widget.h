#pragma once
// The link lamp in the panel's footer: a small round lamp and a short caption
// beside it, in the footer's blue. Clicking either asks for a resend. It takes
// no focus, so the panel's tab order is as it was.

#include "panel/model/link_lamp.h"

#include <QWidget>

namespace zz {

class LinkLampWidget : public QWidget {
    Q_OBJECT

public:
    explicit LinkLampWidget(QWidget *parent = nullptr);

    void show(const LampView &view);
    LampColour colour() const { return colour_; }
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

    LampColour colour_ = LampColour::Grey;
    QString caption_;
};

}  // namespace zz
