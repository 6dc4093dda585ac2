#include "loginhelper/vontalloginhelper_app.h"

#include <clocale>

int main() {
    // Error descriptions from GIO follow the session's language.
    std::setlocale(LC_ALL, "");
    vontal::vontalloginhelperApp app;
    return 0;
}
