// The program's own icon: a VCO sine over the divided square wave, 48 x 28.
#pragma once

#include <QIcon>
#include <QImage>

QImage vantrelIconImage();
QIcon vantrelWindowIcon();
