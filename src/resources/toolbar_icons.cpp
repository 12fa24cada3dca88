// SPDX-License-Identifier: GPL-3.0-or-later
#include "resources/toolbar_icons.h"

#include <QPainter>
#include <QPainterPath>

namespace nudgewell {

namespace {

const QColor kInk(40, 50, 70);
const QColor kPaper(250, 250, 245);
const QColor kBlue(40, 100, 190);
const QColor kRed(200, 40, 40);
const QColor kGreen(40, 140, 60);

void page(QPainter& p) {
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(kPaper);
    p.drawRect(QRectF(5, 3, 13, 18));
}

void draw(QPainter& p, int image) {
    p.setRenderHint(QPainter::Antialiasing);
    switch (image) {
    case 1: // new: a page with a plus
        page(p);
        p.setPen(QPen(kGreen, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(15, 14), QPointF(15, 22));
        p.drawLine(QPointF(11, 18), QPointF(19, 18));
        break;
    case 2: // edit: a pencil across a page
        page(p);
        p.setPen(QPen(kBlue, 3.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(9, 18), QPointF(20, 6));
        p.setPen(QPen(kInk, 1.5));
        p.drawLine(QPointF(7, 20), QPointF(9, 18));
        break;
    case 3: // delete: a red cross on a page
        page(p);
        p.setPen(QPen(kRed, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 8), QPointF(16, 17));
        p.drawLine(QPointF(16, 8), QPointF(8, 17));
        break;
    case 4: // save: a disk
        p.setPen(QPen(kInk, 1.5));
        p.setBrush(kBlue);
        p.drawRoundedRect(QRectF(3, 3, 18, 18), 2, 2);
        p.setBrush(kPaper);
        p.drawRect(QRectF(7, 3, 10, 7));
        p.drawRect(QRectF(6, 14, 12, 7));
        break;
    case 5: // cancel: a circle with a bar
        p.setPen(QPen(kRed, 3));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(4, 4, 16, 16));
        p.drawLine(QPointF(7, 17), QPointF(17, 7));
        break;
    case 6: // print: a printer
        p.setPen(QPen(kInk, 1.5));
        p.setBrush(kPaper);
        p.drawRect(QRectF(7, 3, 10, 7));
        p.setBrush(QColor(150, 155, 165));
        p.drawRoundedRect(QRectF(3, 9, 18, 9), 2, 2);
        p.setBrush(kPaper);
        p.drawRect(QRectF(7, 15, 10, 6));
        break;
    case 7: // show upcoming: a week strip with today marked
        p.setPen(QPen(kInk, 1.5));
        p.setBrush(kPaper);
        p.drawRect(QRectF(2.5, 6, 19, 13));
        p.setBrush(kBlue);
        p.drawRect(QRectF(2.5, 6, 19, 4));
        p.setPen(Qt::NoPen);
        p.setBrush(kRed);
        p.drawRect(QRectF(4, 12, 4, 5));
        p.setBrush(kInk);
        for (int i = 0; i < 3; ++i)
            p.drawRect(QRectF(10 + i * 3.7, 12, 2.4, 5));
        break;
    case 8: // show all: a list
        p.setPen(QPen(kInk, 1.5));
        p.setBrush(kPaper);
        p.drawRect(QRectF(3, 3, 18, 18));
        p.setPen(QPen(kBlue, 2));
        for (int i = 0; i < 4; ++i)
            p.drawLine(QPointF(6, 7.5 + i * 3.5), QPointF(18, 7.5 + i * 3.5));
        break;
    case 9: { // start-up list: a clock over lines
        p.setPen(QPen(kInk, 1.5));
        p.setBrush(kPaper);
        p.drawEllipse(QRectF(3, 3, 18, 18));
        p.setPen(QPen(kRed, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(12, 12), QPointF(12, 6));
        p.drawLine(QPointF(12, 12), QPointF(16, 14));
        break;
    }
    case 10: // calendar: a month grid
        p.setPen(QPen(kInk, 1.5));
        p.setBrush(kPaper);
        p.drawRect(QRectF(3, 4, 18, 17));
        p.setBrush(kRed);
        p.drawRect(QRectF(3, 4, 18, 5));
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 4; ++c)
                p.drawRect(QRectF(5 + c * 4, 10.5 + r * 3.5, 2, 2));
        }
        break;
    case 11: { // options: sliders
        p.setPen(QPen(kInk, 1.5));
        for (int i = 0; i < 3; ++i)
            p.drawLine(QPointF(4, 6 + i * 6), QPointF(20, 6 + i * 6));
        p.setBrush(kBlue);
        const double knobs[3] = {14, 7, 16};
        for (int i = 0; i < 3; ++i)
            p.drawRect(QRectF(knobs[i] - 2, 3.5 + i * 6, 4, 5));
        break;
    }
    case 12: { // help: a question mark
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        p.drawEllipse(QRectF(2, 2, 20, 20));
        QFont font(QStringLiteral("Sans Serif"));
        font.setPixelSize(16);
        font.setBold(true);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRectF(2, 2, 20, 20), Qt::AlignCenter, QStringLiteral("?"));
        break;
    }
    case 13: // exit: a door with an arrow
        p.setPen(QPen(kInk, 1.5));
        p.setBrush(QColor(190, 140, 90));
        p.drawRect(QRectF(4, 3, 10, 18));
        p.setPen(QPen(kRed, 2.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(11, 12), QPointF(21, 12));
        p.drawLine(QPointF(21, 12), QPointF(17.5, 8.5));
        p.drawLine(QPointF(21, 12), QPointF(17.5, 15.5));
        break;
    default:
        break;
    }
}

QPixmap render(int image, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.scale(size / 24.0, size / 24.0);
    draw(painter, image);
    return pixmap;
}

} // namespace

QIcon toolbarIcon(int image) {
    QIcon icon;
    for (int size : {16, 24, 32, 48})
        icon.addPixmap(render(image, size));
    return icon;
}

QPixmap logoPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 24.0, size / 24.0);
    // A bell over a calendar page.
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    p.drawRoundedRect(QRectF(2, 5, 20, 17), 2, 2);
    p.setBrush(kRed);
    p.drawRect(QRectF(2, 5, 20, 4));
    QPainterPath bell;
    bell.moveTo(12, 10);
    bell.cubicTo(8, 10, 8, 14, 8, 17);
    bell.lineTo(16, 17);
    bell.cubicTo(16, 14, 16, 10, 12, 10);
    p.setBrush(QColor(230, 180, 40));
    p.drawPath(bell);
    p.drawEllipse(QRectF(11, 17, 2, 2));
    return pixmap;
}

namespace {

// The start-up log with its older entries struck through, the newest kept.
void drawDeleteOldDates(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    page(p);
    p.setPen(QPen(kBlue, 2));
    p.drawLine(QPointF(8, 7), QPointF(15, 7));
    p.setPen(QPen(kInk, 1.5));
    for (int i = 1; i < 4; ++i)
        p.drawLine(QPointF(8, 7 + i * 3.5), QPointF(15, 7 + i * 3.5));
    p.setPen(QPen(kRed, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(13, 12), QPointF(21, 21));
    p.drawLine(QPointF(21, 12), QPointF(13, 21));
}

QPixmap renderStartup(int image, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.scale(size / 24.0, size / 24.0);
    if (image == 1)
        drawDeleteOldDates(painter);
    else if (image == 2)
        draw(painter, 12); // the main toolbar's help and exit, so that they read the same
    else if (image == 3)
        draw(painter, 13);
    return pixmap;
}

} // namespace

QIcon startupToolbarIcon(int image) {
    QIcon icon;
    for (int size : {16, 24, 32, 48})
        icon.addPixmap(renderStartup(image, size));
    return icon;
}

// The calendar window's images, in the main toolbar's style.
namespace {

void drawCalendarImage(QPainter& p, int image) {
    p.setRenderHint(QPainter::Antialiasing);
    switch (image) {
    case 1: // copy date: a day sheet laid over another
        p.setPen(QPen(kInk, 1.5));
        p.setBrush(kPaper);
        p.drawRect(QRectF(3, 3, 12, 13));
        p.drawRect(QRectF(9, 8, 12, 13));
        p.setBrush(kRed);
        p.drawRect(QRectF(9, 8, 12, 4));
        p.setPen(QPen(kInk, 2));
        p.drawLine(QPointF(13, 15), QPointF(17, 15));
        p.drawLine(QPointF(13, 18), QPointF(17, 18));
        break;
    case 2: // change date: a month sheet with a clock in front
        p.setPen(QPen(kInk, 1.5));
        p.setBrush(kPaper);
        p.drawRect(QRectF(2.5, 3, 15, 15));
        p.setBrush(kRed);
        p.drawRect(QRectF(2.5, 3, 15, 4));
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        for (int r = 0; r < 2; ++r) {
            for (int c = 0; c < 3; ++c)
                p.drawRect(QRectF(4.5 + c * 4, 9 + r * 4, 2, 2));
        }
        p.setPen(QPen(kInk, 1.5));
        p.setBrush(kBlue);
        p.drawEllipse(QRectF(11, 11, 11, 11));
        p.setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(16.5, 16.5), QPointF(16.5, 13));
        p.drawLine(QPointF(16.5, 16.5), QPointF(19, 17.5));
        break;
    case 3: // calendar help: the main toolbar's question mark
        draw(p, 12);
        break;
    case 4: // close calendar: a window with a red cross
        p.setPen(QPen(kInk, 1.5));
        p.setBrush(kPaper);
        p.drawRect(QRectF(3, 4, 18, 16));
        p.setBrush(kBlue);
        p.drawRect(QRectF(3, 4, 18, 4));
        p.setPen(QPen(kRed, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8.5, 11), QPointF(15.5, 17.5));
        p.drawLine(QPointF(15.5, 11), QPointF(8.5, 17.5));
        break;
    default:
        break;
    }
}

} // namespace

QIcon calendarToolbarIcon(int image) {
    QIcon icon;
    for (int size : {16, 24, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.scale(size / 24.0, size / 24.0);
        drawCalendarImage(painter, image);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace nudgewell
