#include "core/Twips.h"

#include <QtGlobal>

int twipsToPixels(double twips) { return qRound(twips / TwipsPerPixel); }

double pixelsToTwips(int px) { return double(px) * TwipsPerPixel; }

double twipsToHimetric(double twips) { return twips * HimetricPerInch / TwipsPerInch; }

double himetricToTwips(double himetric) { return himetric * TwipsPerInch / HimetricPerInch; }
