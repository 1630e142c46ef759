#!/usr/bin/python3
"""Per-cell cost of VTK's vtkFlyingEdges3D and vtkMarchingCubes on the fields of
plotwise-bench-mesh3d's extraction rows (sphere, heart, gyroid over [-7, 7]^3 at 64^3 and 128^3
cells), one thread, extraction alone: the values are computed beforehand, and neither filter
computes normals, gradients or scalars.

Not run by CI. Debian: apt-get install python3-vtk9 python3-numpy; run with /usr/bin/python3,
e.g. taskset -c 0 /usr/bin/python3 bench/vtk_reference.py [repetitions]
"""

import statistics
import sys
import time

import numpy as np
from vtkmodules.util import numpy_support
from vtkmodules.vtkCommonCore import vtkSMPTools
from vtkmodules.vtkCommonDataModel import vtkImageData
from vtkmodules.vtkFiltersCore import vtkFlyingEdges3D, vtkMarchingCubes

FIELDS = {
    "sphere": lambda x, y, z: x * x + y * y + z * z - 4,
    "heart": lambda x, y, z: 320 * (-x * x * z**3 - (9 * y * y * z**3) / 80
                                   + (x * x + (9 * y * y) / 4 + z * z - 1) ** 3),
    "gyroid": lambda x, y, z: (np.sin(2 * x) * np.cos(2 * y) + np.sin(2 * y) * np.cos(2 * z)
                               + np.sin(2 * z) * np.cos(2 * x)),
}


def image(field, cells):
    """The field at the nodes of [-7, 7]^3, cells per axis, in single-precision steps as the
    builders take them, stored x fastest as VTK reads it."""
    step = np.float32(14) / np.float32(cells)
    axis = (np.float32(-7) + step * np.arange(cells + 1, dtype=np.float32)).astype(np.float64)
    z, y, x = np.meshgrid(axis, axis, axis, indexing="ij")
    values = np.ascontiguousarray(field(x, y, z).ravel())
    data = vtkImageData()
    data.SetDimensions(cells + 1, cells + 1, cells + 1)
    data.SetOrigin(-7, -7, -7)
    data.SetSpacing(float(step), float(step), float(step))
    array = numpy_support.numpy_to_vtk(values, deep=True)
    array.SetName("f")
    data.GetPointData().SetScalars(array)
    return data


def per_cell_ns(make_filter, data, cells, repetitions):
    times = []
    triangles = 0
    for _ in range(repetitions):
        f = make_filter()
        f.SetInputData(data)
        f.SetValue(0, 0.0)
        for switch in ("ComputeNormalsOff", "ComputeGradientsOff", "ComputeScalarsOff"):
            getattr(f, switch)()
        start = time.process_time()
        f.Update()
        times.append(time.process_time() - start)
        triangles = f.GetOutput().GetNumberOfPolys()
    return 1e9 * statistics.median(times) / cells**3, triangles


def main():
    repetitions = int(sys.argv[1]) if len(sys.argv) > 1 else 9
    vtkSMPTools.SetBackend("Sequential")
    vtkSMPTools.Initialize(1)
    print(f"VTK, backend {vtkSMPTools.GetBackend()}, median of {repetitions}, ns per cell")
    print("| field | cells | vtkFlyingEdges3D | vtkMarchingCubes | triangles |")
    print("|---|---|---|---|---|")
    for name, field in FIELDS.items():
        for cells in (64, 128):
            data = image(field, cells)
            fe, triangles = per_cell_ns(vtkFlyingEdges3D, data, cells, repetitions)
            mc, _ = per_cell_ns(vtkMarchingCubes, data, cells, repetitions)
            print(f"| {name} | {cells}^3 | {fe:.2f} | {mc:.2f} | {triangles} |")


if __name__ == "__main__":
    main()
