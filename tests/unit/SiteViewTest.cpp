#include <gtest/gtest.h>

#include "netview/SiteView.h"

// The tree shows MHz, the gateway takes Hz: both ways, exactly, for every
// shape a technician types; anything else reaches the value's check as typed.
TEST(Frequencies, MegahertzShownAndTypedRoundTripExactlyAndOtherTextPassesAsIs) {
    const std::pair<const char*, const char*> shown[] = {{"2402000000", "2402.000 MHz"},
                                                         {"868300000", "868.300 MHz"},
                                                         {"868312500", "868.3125 MHz"},
                                                         {"868300001", "868.300001 MHz"},
                                                         {"0", "0.000 MHz"},
                                                         {"1500", "0.0015 MHz"},
                                                         {"", ""},
                                                         {"24x", "24x"},
                                                         {"-5", "-5"}};
    for (const auto& [hz, text] : shown) EXPECT_EQ(netview::Megahertz(hz), text) << hz;
    const std::pair<const char*, const char*> typed[] = {{"868.3", "868300000"},
                                                         {"868.3 MHz", "868300000"},
                                                         {" 868.3125mhz ", "868312500"},
                                                         {"2402 MHz", "2402000000"},
                                                         {"868.", "868000000"},
                                                         {".5", "500000"},
                                                         {"868300000", "868300000"},
                                                         // Left for the check to refuse, with its reason.
                                                         {"868.1234567", "868.1234567"},
                                                         {"1.2.3", "1.2.3"},
                                                         {"MHz", "MHz"},
                                                         {"868.3 GHz", "868.3 GHz"},
                                                         {"86 8.3", "86 8.3"},
                                                         {"868.3\tAT+STOP", "868.3\tAT+STOP"}};
    for (const auto& [in, hz] : typed) {
        EXPECT_EQ(netview::TypedHz(in), hz) << in;
        if (std::string(hz).find_first_not_of("0123456789") == std::string::npos) {
            EXPECT_EQ(netview::TypedHz(netview::Megahertz(hz)), hz) << "round trip of " << hz;
        }
    }
}
