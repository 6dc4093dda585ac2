#pragma once

namespace vontal {

// The login helper. Its constructor does the whole job in one pass: find vontal by its identifier,
// launch it without waiting for the outcome, and report a failure to the system log. Nothing is
// retried and nothing is kept; the process can end as soon as the constructor returns.
class vontalloginhelperApp {
public:
    vontalloginhelperApp();
};

} // namespace vontal
