#include "app/background_picture.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include "workbook/window_layout.h"

namespace tallomer {

namespace {
const QColor kTopBlue(7, 12, 240);
const QColor kLabelGrey(212, 212, 212);
constexpr int kTitleBandBottom = 37;
constexpr int kLeftLabelColumn = 29;
constexpr int kRightLabelColumn = 279;
constexpr int kLabelGap = 5;  // between a label's end and its box

QFont sansFont(int pixelSize, bool bold, const char* family = "DejaVu Sans Condensed") {
    QFont font(QString::fromLatin1(family));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

void drawGradient(QPainter& p) {
    QLinearGradient fade(0, 0, 0, kPictureHeight);
    fade.setColorAt(0, kTopBlue);
    fade.setColorAt(1, Qt::black);
    p.fillRect(0, 0, kPictureWidth, kPictureHeight, fade);
}

void drawSphere(QPainter& p, QPointF centre, double radius) {
    QRadialGradient body(centre + QPointF(-radius * 0.35, -radius * 0.4), radius * 1.5);
    body.setColorAt(0, QColor(255, 170, 60));
    body.setColorAt(0.45, QColor(240, 90, 10));
    body.setColorAt(1, QColor(150, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(body);
    p.drawEllipse(centre, radius, radius);
    // The gloss: a soft white highlight in the upper half.
    QRadialGradient gloss(centre + QPointF(0, -radius * 0.45), radius * 0.7);
    gloss.setColorAt(0, QColor(255, 255, 255, 200));
    gloss.setColorAt(1, QColor(255, 255, 255, 0));
    p.setBrush(gloss);
    p.drawEllipse(QRectF(centre.x() - radius * 0.65, centre.y() - radius * 0.92, radius * 1.3, radius * 0.85));
}

void drawTitle(QPainter& p, QPointF baseline) {
    QFont font = sansFont(30, true, "DejaVu Sans");
    font.setItalic(true);
    QPainterPath letters;
    letters.addText(baseline, font, QStringLiteral("Tallomer"));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 40, 170));  // shadow
    p.drawPath(letters.translated(2, 2));
    const QRectF box = letters.boundingRect();
    QLinearGradient silver(box.topLeft(), box.bottomLeft());
    silver.setColorAt(0, QColor(250, 250, 252));
    silver.setColorAt(0.45, QColor(200, 202, 208));
    silver.setColorAt(0.55, QColor(150, 152, 160));
    silver.setColorAt(1, QColor(225, 226, 230));
    p.setBrush(silver);
    p.setPen(QPen(QColor(90, 92, 100), 0.6));
    p.drawPath(letters);
}

void drawRules(QPainter& p) {
    // As filled pixel rows and columns, so they stay on the same pixels at any pixel ratio.
    p.fillRect(19, 38, 521 - 19 + 1, 1, Qt::white);
    p.fillRect(19, 295, 521 - 19 + 1, 1, Qt::white);
    p.fillRect(255, 38, 1, 295 - 38 + 1, Qt::white);
}

void drawGroupTitles(QPainter& p) {
    const QFont font = sansFont(12, true, "DejaVu Sans");
    const QFontMetrics metrics(font);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(20, 51 + metrics.ascent(), QStringLiteral("INPUT DATA"));
    p.drawText(272, 50 + metrics.ascent(), QStringLiteral("LAST RECORD"));
    const QString cumulative = QStringLiteral("CUMULATIVE RESULTS");
    p.drawText(264 - metrics.horizontalAdvance(cumulative) / 2, 308 + metrics.ascent(), cumulative);
}

// The largest label size at which every label fits between its start column and its box.
int labelPixelSize() {
    for (int size = 12; size > 8; --size) {
        const QFontMetrics metrics(sansFont(size, true));
        bool fits = true;
        auto check = [&](const BoxSpec& box) {
            const int start = box.left < 5000 ? kLeftLabelColumn : kRightLabelColumn;
            const int room = box.left / 15 - kLabelGap - start;
            fits = fits && metrics.horizontalAdvance(QString::fromUtf8(box.label)) <= room;
        };
        for (const BoxSpec& box : inputBoxes()) check(box);
        for (const BoxSpec& box : displayBoxes()) check(box);
        if (fits) return size;
    }
    return 8;
}

void drawLabels(QPainter& p) {
    const QFont font = sansFont(labelPixelSize(), true);
    const QFontMetrics metrics(font);
    p.setFont(font);
    p.setPen(kLabelGrey);
    auto draw = [&](const BoxSpec& box) {
        const int x = box.left < 5000 ? kLeftLabelColumn : kRightLabelColumn;
        // Centred on the box's middle row.
        const double middle = (box.top + kBoxHeight / 2.0) / 15.0;
        const int baseline = static_cast<int>(middle + (metrics.ascent() - metrics.descent()) / 2.0 + 0.5);
        p.drawText(x, baseline, QString::fromUtf8(box.label));
    };
    for (const BoxSpec& box : inputBoxes()) draw(box);
    for (const BoxSpec& box : displayBoxes()) draw(box);
}
}  // namespace

QImage drawBackgroundPicture(qreal pixelRatio) {
    // Drawn at the screen's own pixels, so a high-DPI screen shows it sharp, not scaled up.
    QImage picture(qRound(kPictureWidth * pixelRatio), qRound(kPictureHeight * pixelRatio), QImage::Format_RGB32);
    picture.setDevicePixelRatio(pixelRatio);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    drawGradient(p);
    drawSphere(p, QPointF(38, kTitleBandBottom / 2.0 + 0.5), 15.5);
    drawTitle(p, QPointF(64, 30));
    p.setRenderHint(QPainter::Antialiasing, false);
    drawRules(p);
    drawGroupTitles(p);
    drawLabels(p);
    return picture;
}

}  // namespace tallomer
