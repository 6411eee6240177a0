#pragma once

#include <string>

// The main window's greeting: three paragraphs and the maker's name, with CR LF line breaks.
std::string WelcomeText();
