#pragma once

// Twips are 1/1440 inch; window geometry is given in twips and drawn in pixels.
double TwipsPerPixelX();
double TwipsPerPixelY();
// Twips to whole pixels on this screen, rounded to the nearest pixel.
int TwipsToPixelsX(double twips);
int TwipsToPixelsY(double twips);
