#include "expr/OperandsHelp.h"

namespace tw {

namespace {

const char* const kExamples[] = {
    "amp*sin(1.5*omg*(p+500))",   "amp*sin(omg*p)+0.25*amp*cos(3*omg*p)",
    "amp*(p>per/4 & p<per*0.75)", "amp*(2*p/per-1)",
    "amp*abs(sin(omg*p))^3",      "-amp*log(1+p)/log(per)",
};

} // namespace

const char* OperandsHelpText() {
    return "The formula gives the value of each point between the anchors.\n"
           "\n"
           "Operands\n"
           "  p      the point: 0 at the start anchor, counting up to the end anchor\n"
           "  per    the number of points between the anchors\n"
           "  amp    half the span between Min and Max, in samples\n"
           "  f      1/per, one cycle over the range\n"
           "  omg    2*pi/per, the angle step of one cycle over the range\n"
           "  pi     3.14159265358979323846\n"
           "  e      2.718281828\n"
           "  numbers such as 5, 0.25, .5 or 1.5e3\n"
           "  a wave file such as sine.wav (from the wave folder) or a full path: its samples,\n"
           "         one per point\n"
           "  {name} an alias from the alias list: its own formula's value at the point\n"
           "\n"
           "Operators, from the weakest to the strongest binding\n"
           "  |      bitwise or of the whole parts\n"
           "  &      bitwise and of the whole parts\n"
           "  < > =  comparison: 1 when true, 0 when false\n"
           "  + -    addition, subtraction\n"
           "  * / %  multiplication, division (% divides as well)\n"
           "  ^      power\n"
           "  Operators of equal strength work from left to right: 2^3^2 is 64.\n"
           "  Write a negative operand in brackets: 2*(-p), not 2*-p.\n"
           "\n"
           "Functions (the argument always in brackets)\n"
           "  sin cos tan   in radians\n"
           "  ctn           cotangent\n"
           "  ln log        natural and base-10 logarithm\n"
           "  abs           absolute value\n"
           "\n"
           "Level modes\n"
           "  Original keeps the values as computed; Scale (or Auto_Scaling) stretches them\n"
           "  between Min and Max and repeats the first of the Cycles over the range.\n"
           "\n"
           "Examples\n"
           "  amp*sin(1.5*omg*(p+500))                  a sine of one and a half cycles\n"
           "  amp*sin(omg*p)+0.25*amp*cos(3*omg*p)      a sine with a third harmonic\n"
           "  amp*(p>per/4 & p<per*0.75)                a pulse over the middle half\n"
           "  amp*(2*p/per-1)                           a ramp\n"
           "  amp*abs(sin(omg*p))^3                     rectified and sharpened\n"
           "  -amp*log(1+p)/log(per)                    a logarithmic fall\n"
           "  amp*({my_sin}>{ref25})*0.75               aliases: {ref25} = sin(omg*p),\n"
           "                                            {my_sin} = sin(omg*50*p)*1.15\n";
}

std::vector<std::string> OperandsHelpExamples() {
    return {std::begin(kExamples), std::end(kExamples)};
}

} // namespace tw
