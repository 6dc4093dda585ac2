#pragma once

// Virtual devices for `vontal --simulate`:
//   "Vontal Pad"    password 1234; nothing is stored, so connecting it asks for the password.
//   "VNT-DSP"       password 0000; its device-name characteristic holds the custom name
//                   "Desk Display", which becomes its label once it has connected.
//   "Macro Keys"    password 4321; refuses the first password written to it, even the right one,
//                   so the "Incorrect password" alert shows once.
//   "Heart Rate"    advertises only the standard heart-rate service, never vontal's, so it is
//                   never listed.
// They answer after a short delay, as radios do.

namespace vontal {

class SimBluetoothStack;

void addDemoDevices(SimBluetoothStack& stack);

} // namespace vontal
