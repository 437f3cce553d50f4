#include "KALTAP_Weight_Quantization.h"

double Scale_Factor = 0.0;
Array1<long long> Scaled_Weights;
Array1<double> Rounded_Weights;
Array1<double> Scaled_Weights_Real;
bool Weights_Quantized = false;

void KALTAP_Release_Quantization_Arrays() {
    Scaled_Weights.release();
    Rounded_Weights.release();
    Scaled_Weights_Real.release();
    Weights_Quantized = false;
}
