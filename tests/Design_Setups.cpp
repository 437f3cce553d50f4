// SPDX-License-Identifier: GPL-3.0-or-later
#include "Design_Setups.h"

#include "KALTAP_Configuration_Parameters.h"

void Set_Band_Tables(const std::vector<Band>& bands) {
    for (int k = 1; k <= static_cast<int>(bands.size()); ++k) {
        const Band& b = bands[k - 1];
        Band_Edges(2 * k - 1) = b.lower;
        Band_Edges(2 * k) = b.upper;
        Band_Desired_Value(k) = b.desired;
        Band_Weighting(k) = b.weight;
    }
}

void Set_Up_Design(int type, int N, int density, const std::vector<Band>& bands) {
    Type_of_Filter = type;
    Number_of_Weights = N;
    Search_Grid_Density = density;
    Number_of_Bands = static_cast<int>(bands.size());
    KALTAP_New_Design();
    Set_Band_Tables(bands);
}

void Set_Up_Two_Band_Storage(int band_type) {
    Type_of_Filter = 1;
    Number_of_Weights = 128;
    Search_Grid_Density = 64;
    Number_of_Bands = 5;
    KALTAP_New_Design();
    Number_of_Bands = 2;
    Search_Grid_Density = 32;
    KALTAP_BandType = band_type;
}

void Set_Up_Low_Pass_Family(int N) { Set_Up_Design(1, N, 16, {{0.0, 0.2, 1.0, 1.0}, {0.2 + 2.0 / N, 0.5, 0.0, 10.0}}); }
