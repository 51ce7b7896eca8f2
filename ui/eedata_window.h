// The "EE Data" window: the register set as a PIC data-EEPROM listing.
#pragma once

#include <QWidget>

class QPlainTextEdit;

class EEdataWindow : public QWidget {
    Q_OBJECT
public:
    explicit EEdataWindow(QWidget* parent = nullptr);

    // The listing with its CR LF line ends, as built.
    void setListing(const QString& listing);
    QPlainTextEdit* text() const { return m_text; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPlainTextEdit* m_text;
};
