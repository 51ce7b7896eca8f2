// Control metrics close to the design's: narrow button margins and small
// check-box indicators, so that captions fit controls sized in twips.
#pragma once

#include <QProxyStyle>

class CompactStyle : public QProxyStyle {
    Q_OBJECT
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
};
