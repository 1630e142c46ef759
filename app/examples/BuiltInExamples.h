#pragma once

// The library's built-in worked examples: what a missing library file shows, and the equations
// the benchmarks and tests exercise. Plain data, so Qt-free code can use it too.

// Marks captions and notes for lupdate; the same definition as Qt's, so either may come first.
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(scope, x) x
#endif

namespace plotwise {

struct BuiltInExample {
    const char* source;   // UTF-8
    const char* caption;  // English, translated with the context "Library"; may be empty
    const char* notes;
};

// clang-format off
// The 2D set, in the library's order.
inline constexpr BuiltInExample kBuiltInExamples2D[] = {
    {"y=x^2",
     QT_TRANSLATE_NOOP("Library", "Cartesian example - Parabola"),
     QT_TRANSLATE_NOOP("Library", "Example of an explicit cartesian equation")},
    {"y=d/dx(sin(x)-cos(x))^2",
     QT_TRANSLATE_NOOP("Library", "Cartesian Example - Derivative"),
     QT_TRANSLATE_NOOP("Library", "Example of an equation with a derivative")},
    {"x=e^(y-2)",
     QT_TRANSLATE_NOOP("Library", "Cartesian Example - Using exponential"),
     QT_TRANSLATE_NOOP("Library", "Example of an explicit cartesian equation that uses an exponential")},
    {"r=4*cos(Θ)",
     QT_TRANSLATE_NOOP("Library", "Polar Example - Circle"),
     QT_TRANSLATE_NOOP("Library", "Example of an explicit polar equation")},
    {"r=1-2*sin(Θ)",
     QT_TRANSLATE_NOOP("Library", "Polar example - Limaçons (Snails)"),
     QT_TRANSLATE_NOOP("Library", "Example of an explicit polar equation")},
    {"r=2*cos(4Θ)",
     QT_TRANSLATE_NOOP("Library", "Polar example - Rose"),
     QT_TRANSLATE_NOOP("Library", "Example of an explicit polar equation")},
    {"r=sin(Θ)-1",
     QT_TRANSLATE_NOOP("Library", "Polar example - Cardioid"),
     QT_TRANSLATE_NOOP("Library", "Example of an explicit polar equation")},
    {"r=sin(2^Θ)-1.7",
     QT_TRANSLATE_NOOP("Library", "Another polar example"),
     QT_TRANSLATE_NOOP("Library", "Example of an explicit polar equation")},
    {"x^2 + x*y + y^2 - 2^2",
     QT_TRANSLATE_NOOP("Library", "Implicit cartesian example - Ellipse"),
     QT_TRANSLATE_NOOP("Library", "Example of an implicit cartesian equation")},
    {"sin(x) - cos(y)^2",
     QT_TRANSLATE_NOOP("Library", "Another implicit cartesian Example"),
     QT_TRANSLATE_NOOP("Library", "Example of an implicit cartesian equation")},
    {"r^2=2^2*sin(2Θ)",
     QT_TRANSLATE_NOOP("Library", "Implicit polar example - Lemniscates"),
     QT_TRANSLATE_NOOP("Library", "Example of an implicit polar equation")},
    {"r^2=sin(3Θ)^2+cos(0.8-r)",
     QT_TRANSLATE_NOOP("Library", "Another implicit polar equation"),
     QT_TRANSLATE_NOOP("Library", "Example of an implicit polar equation")},
    {"y<sin(5r)",
     QT_TRANSLATE_NOOP("Library", "Inequality example"),
     QT_TRANSLATE_NOOP("Library", "Example of an inequality")},
};

// The 3D set, in the library's order.
inline constexpr BuiltInExample kBuiltInExamples3D[] = {
    {"z=y^2/16-x^2/25",
     QT_TRANSLATE_NOOP("Library", "Cartesian example - Hyperbolic paraboloid"),
     QT_TRANSLATE_NOOP("Library", "Example of an explicit cartesian equation")},
    {"z=abs(cos(x)*sin(y))",
     QT_TRANSLATE_NOOP("Library", "Another cartesian example"),
     QT_TRANSLATE_NOOP("Library", "Example of an explicit cartesian equation")},
    {"x=d/dz(e^(-4(z^2+y^2)))",
     QT_TRANSLATE_NOOP("Library", "Cartesian Example - Derivative"),
     QT_TRANSLATE_NOOP("Library", "Example of an equation with a derivative")},
    {"r=2sin(4Θ+cos(4Φ))",
     QT_TRANSLATE_NOOP("Library", "Spherical Example - Rose"),
     QT_TRANSLATE_NOOP("Library", "Example of an spherical equation")},
    {"r=2sin(5Φ)",
     QT_TRANSLATE_NOOP("Library", "Spherical Example - Decorative"),
     QT_TRANSLATE_NOOP("Library", "Example of an spherical equation")},
    {"Φ=3-sin(3Θ+r)",
     QT_TRANSLATE_NOOP("Library", "Spherical Example - Sphiral"),
     QT_TRANSLATE_NOOP("Library", "Example of an spherical equation")},
    {"Θ=sin(Φ+r)/2",
     QT_TRANSLATE_NOOP("Library", "Spheric Example - Waves"),
     QT_TRANSLATE_NOOP("Library", "Example of an spherical equation")},
    {"r=Θ-sin(z)",
     QT_TRANSLATE_NOOP("Library", "Cylindrical Example - Tube"),
     QT_TRANSLATE_NOOP("Library", "Example of a cylindrical equation")},
    {"z=100*sin(7r)/(1+r)^2",
     QT_TRANSLATE_NOOP("Library", "Cylindrical Example - UFO"),
     QT_TRANSLATE_NOOP("Library", "Example of a cylindrical equation")},
    {"Θ=r+cos(1/z)",
     "",
     QT_TRANSLATE_NOOP("Library", "Example of a cylindrical equation")},
    {"(x^4+y^4+z^4)/10=50",
     QT_TRANSLATE_NOOP("Library", "Implicit cartesian example - Cube"),
     QT_TRANSLATE_NOOP("Library", "Example of an implicit cartesian equation")},
    {"r^2/5=10*cos(4Θ)",
     QT_TRANSLATE_NOOP("Library", "Implicit spherical example - Spin"),
     QT_TRANSLATE_NOOP("Library", "Example of an implicit spherical equation")},
    {"(x^2+y^2+z^2+4^2-2^2)^2 - 4*4^2*(x^2+y^2)<0",
     QT_TRANSLATE_NOOP("Library", "Cartesian inequality example - Torus"),
     QT_TRANSLATE_NOOP("Library", "Example of an inequality")},
    {"320(-x^2z^3-(9y^2z^3)/80+(x^2+(9y^2)/4+z^2-1)^3)=0",
     QT_TRANSLATE_NOOP("Library", "Implicit cartesian example - Heart"),
     QT_TRANSLATE_NOOP("Library", "Example of an implicit cartesian equation")},
};
// clang-format on

}  // namespace plotwise
