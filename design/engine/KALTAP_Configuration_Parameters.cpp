// SPDX-License-Identifier: GPL-3.0-or-later
#include "KALTAP_Configuration_Parameters.h"

#include <vector>

#include "Fortran_Format.h"
#include "KALTAP_Design_Figures.h"
#include "Run_Logging.h"

int Number_of_Weights = 0;
int Number_of_Bands = 0;
int Search_Grid_Density = 0;
int Type_of_Filter = 1;
int KALTAP_BandType = 1;
Array1<double> Band_Edges;
Array1<double> Band_Desired_Value;
Array1<double> Band_Weighting;
int KALTAP_Bits = -1;

int Antisymmetric = 0;
int Half_Length = 0;
int PMC_DCT_Type = 1;

int Grid_Size = 0;
Array1<double> Grid_Frequency, Grid_Desired, Grid_Weight;
Array1<int> Extremal_Index;
Array1<double> Extremal_Cosine, Extremal_Value, Barycentric_Weight;
Array1<double> Cosine_Coefficients;
Array1<double> Filter_Weights;
double Remez_Deviation = 0.0;
bool KALTAP_Filter_Weights_Valid = false;
bool KALTAP_Design_Failed = false;
bool Deviations_Only = false;
bool Quiet_Remez = true;

int Allocated_Number_of_Weights = 0, Allocated_Number_of_Bands = 0, Allocated_Grid_Density = 0;
int Extremal_Capacity = 0;
int Grid_Capacity = 0;

std::string Number_Buffer;

void KALTAP_Derive_Parameters() {
    const int N = Number_of_Weights;
    KALTAP_Bits = -1;
    KALTAP_Filter_Weights_Valid = false;
    Half_Length = N / 2;
    PMC_DCT_Type = ((N - 1) % 2 + 2) % 2 + 1;  // ((N-1) mod 2) + 1, also for N < 1
    if (Type_of_Filter == 1 || Type_of_Filter == 4) {
        Antisymmetric = 0;
        Half_Length = N / 2 + N % 2;
    } else if (Type_of_Filter == 2 || Type_of_Filter == 3) {
        Antisymmetric = 1;
        PMC_DCT_Type += 2;
    }
    if (Number_of_Bands == 0) Number_of_Bands = 2;
    if (Search_Grid_Density == 0) Search_Grid_Density = 16;
}

namespace {

// Built on first use, so that routines registered from other files' static
// initialisers find it whatever the order of initialisation.
std::vector<void (*)()>& release_routines() {
    static std::vector<void (*)()> routines;
    return routines;
}

}  // namespace

void KALTAP_Release_Arrays() {
    // The weights and the figures measured from them go with the arrays.
    KALTAP_Filter_Weights_Valid = false;
    KALTAP_Reset_Design_Figures();
    Band_Edges.release();
    Band_Desired_Value.release();
    Band_Weighting.release();
    Extremal_Index.release();
    Extremal_Cosine.release();
    Extremal_Value.release();
    Barycentric_Weight.release();
    Cosine_Coefficients.release();
    Filter_Weights.release();
    Grid_Frequency.release();
    Grid_Desired.release();
    Grid_Weight.release();
    for (void (*release)() : release_routines()) release();
}

void KALTAP_Add_Release_Routine(void (*release)()) { release_routines().push_back(release); }

void KALTAP_Allocate_Arrays() {
    Allocated_Number_of_Weights = Number_of_Weights;
    Allocated_Number_of_Bands = Number_of_Bands;
    Allocated_Grid_Density = Search_Grid_Density;
    // Sizes never go negative, whatever the caller left in the filter requirements.
    const int N = Number_of_Weights > 0 ? Number_of_Weights : 0;
    const int bands = Number_of_Bands > 0 ? Number_of_Bands : 0;
    const int density = Search_Grid_Density > 0 ? Search_Grid_Density : 0;
    Extremal_Capacity = (N + 1) / 2 + 10;
    Grid_Capacity = bands + density * Extremal_Capacity + 20;
    Band_Edges.allocate(2 * bands);
    Band_Desired_Value.allocate(bands);
    Band_Weighting.allocate(bands);
    Extremal_Index.allocate(Extremal_Capacity);
    Extremal_Cosine.allocate(Extremal_Capacity);
    Extremal_Value.allocate(Extremal_Capacity);
    Barycentric_Weight.allocate(Extremal_Capacity);
    Cosine_Coefficients.allocate(Extremal_Capacity);
    Filter_Weights.allocate(Extremal_Capacity);
    Grid_Frequency.allocate(Grid_Capacity);
    Grid_Desired.allocate(Grid_Capacity);
    Grid_Weight.allocate(Grid_Capacity);
}

void KALTAP_New_Design() {
    KALTAP_Derive_Parameters();
    KALTAP_Release_Arrays();
    KALTAP_Allocate_Arrays();
    RUN_LOG_write("");
    RUN_LOG_write(" ####New FIR Filter Design ####");
    Number_Buffer = FMT_Free(PMC_DCT_Type);
    RUN_LOG_write("Initial PMC_DCT_Type = " + Number_Buffer);
    Number_Buffer = FMT_Free(Search_Grid_Density);
    RUN_LOG_write("Initial Search_Grid_Density = " + Number_Buffer);
}
