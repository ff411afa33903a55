#pragma once

// Lengths in the windows are twips (1440 to the inch). The screen is taken as 96 dots per inch,
// 15 twips per pixel, on every machine, so layouts come out the same everywhere.
constexpr int TwipsPerPixel = 15;
constexpr int TwipsPerInch = 1440;
constexpr int HimetricPerInch = 2540;

int twipsToPixels(double twips);
double pixelsToTwips(int px);
double twipsToHimetric(double twips);
double himetricToTwips(double himetric);
