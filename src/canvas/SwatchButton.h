#pragma once
#include "document/RGB.h"

#include <QAbstractButton>

// One colour of the toolbar's palette: a dot of the colour, ringed when it is the current one.
class SwatchButton : public QAbstractButton
{
    Q_OBJECT
public:
    explicit SwatchButton(QWidget *parent = nullptr);

    RGB rgb{1, 1, 1};
    bool isChosen = false;

    QSize sizeHint() const override { return {30, 30}; }

protected:
    void paintEvent(QPaintEvent *event) override;
};
