// The 3DS loader over arbitrary bytes, then the box builder; for models small
// enough, the linear normals are checked against the quadratic reference.
#include <cstdlib>
#include <cstring>

#include "assets/model3ds.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    installSilentMessageBoxes();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Model3DS model;
    model.loadFromMemory(data, size, "fuzz.3DS");
    for (const Object3DS& object : model.objects) {
        if (static_cast<int64_t>(object.vertexCount) * object.faceCount > 200000)
            continue;
        Object3DS reference = object;
        computeNormalsReference(reference);
        if (reference.normals.size() != object.normals.size())
            std::abort();
        if (!object.normals.empty() &&
            std::memcmp(reference.normals.data(), object.normals.data(), object.normals.size() * sizeof(Vector3)) != 0)
            std::abort();
    }
    model.computeObjectBoxes(2.5f);
    model.computeObjectBoxes(-5.0f);
    if (model.boxes.size() != model.objects.size())
        std::abort();
    return 0;
}
