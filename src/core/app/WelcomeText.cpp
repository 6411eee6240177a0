#include "core/app/WelcomeText.h"

std::string WelcomeText() {
    const std::string twoBreaks = "\r\n\r\n";
    return "Greetings ! " + twoBreaks + "This Zip disk label printing program came as a response " +
           "to a need to catalog and organize the increasing " +
           "number of Zip disks I now own and to squeeze as much space " +
           "as possible by showing the available space on " + "the printed disk label." + twoBreaks +
           "Vantrell " +
           "makes no warranty of any kind and offers no user support for this program. It is distributed " +
           "as 'freeware'. It is also intended to be quite " +
           "basic in usage and usefulness and further work will be required to polish " +
           "the edges a bit. If you find this useful or have any recommendations, you can send me an email "
           "at " +
           "the address given where you obtained this program. " + twoBreaks + "Vantrell";
}
