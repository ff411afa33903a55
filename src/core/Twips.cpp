#include "core/Twips.h"

#include <QtGlobal>

int TwipsToPixels(double twips) { return qRound(twips / TwipsPerPixel); }

double PixelsToTwips(int px) { return double(px) * TwipsPerPixel; }

double TwipsToHimetric(double twips) { return twips * HimetricPerInch / TwipsPerInch; }

double HimetricToTwips(double himetric) { return himetric * TwipsPerInch / HimetricPerInch; }
