// The duck: a mallard drake about 20 model units long, swimming toward +x with its waterline at z = 0.
#include "det_math.h"
#include "models.h"

namespace {

enum DuckMaterial { kBody, kBreast, kWing, kHead, kCollar, kBill, kEye, kTail, kDuckMaterialCount };

MaterialDef duckMaterial(const char* name, Color colour, Color specular, double shine) {
  return {name, colour * 0.9, colour, specular, shine, "NONE"};
}

}  // namespace

Model buildDuck() {
  Model model;
  model.fileName = "ente.ase";
  model.game = gameValuesFor(model.fileName.c_str());
  model.materials.resize(kDuckMaterialCount);
  model.materials[kBody] = duckMaterial("body", {0.56, 0.54, 0.50}, {0.1, 0.1, 0.1}, 8.0);
  model.materials[kBreast] = duckMaterial("breast", {0.42, 0.20, 0.10}, {0.1, 0.1, 0.1}, 8.0);
  model.materials[kWing] = duckMaterial("wing", {0.36, 0.30, 0.24}, {0.1, 0.1, 0.1}, 8.0);
  model.materials[kHead] = duckMaterial("head", {0.04, 0.32, 0.12}, {0.6, 0.7, 0.6}, 40.0);
  model.materials[kCollar] = duckMaterial("collar", {0.90, 0.90, 0.88}, {0.1, 0.1, 0.1}, 8.0);
  model.materials[kBill] = duckMaterial("bill", {0.88, 0.70, 0.12}, {0.3, 0.3, 0.2}, 20.0);
  model.materials[kEye] = duckMaterial("eye", {0.02, 0.02, 0.02}, {0.8, 0.8, 0.8}, 60.0);
  model.materials[kTail] = duckMaterial("tail", {0.08, 0.08, 0.09}, {0.2, 0.2, 0.2}, 10.0);

  auto part = [&](const char* name, int material) {
    Mesh m;
    m.name = name;
    m.material = material;
    return m;
  };

  // Body: a long ellipsoid riding low, its rear swept up toward the tail, its belly flattened.
  Mesh body = part("body", kBody);
  addEllipsoid(body, {-0.8, 0.0, 2.2}, {7.4, 4.6, 4.2}, 10, 14, [](Vec3 p, Vec3 dir) {
    if (p.x < -3.0) p.z += 0.10 * (p.x + 3.0) * (p.x + 3.0) * (dir.z > -0.3 ? 1.0 : 0.4);
    if (dir.z < -0.5) p.z = -1.6 + (p.z + 1.6) * 0.6;
    return p;
  });
  Mesh breast = part("breast", kBreast);
  addEllipsoid(breast, {3.3, 0.0, 3.2}, {3.6, 3.9, 3.5}, 8, 12);
  Mesh wings = part("wings", kWing);
  for (double side : {1.0, -1.0}) {
    addEllipsoid(wings, {-1.6, side * 3.1, 4.4}, {5.4, 1.7, 2.1}, 6, 10, [](Vec3 p, Vec3) {
      if (p.x < -2.0) p.z += 0.05 * (p.x + 2.0) * (p.x + 2.0);
      return p;
    });
  }
  Mesh tail = part("tail", kTail);
  addEllipsoid(tail, {-8.0, 0.0, 5.4}, {2.2, 1.7, 0.9}, 4, 8, [](Vec3 p, Vec3) {
    p.z += 0.35 * (-8.0 - p.x);  // tilted up toward the tip
    return p;
  });

  // Neck with its white collar, then the green head.
  Mesh collar = part("collar", kCollar);
  addTube(collar, {5.0, 0.0, 6.6}, {5.25, 0.0, 7.2}, 2.25, 2.2, 12, false, false);
  Mesh head = part("head", kHead);
  addTube(head, {4.4, 0.0, 5.2}, {5.0, 0.0, 6.6}, 2.35, 2.25, 12, false, false);
  addTube(head, {5.25, 0.0, 7.2}, {6.4, 0.0, 9.0}, 2.2, 2.3, 12, false, false);
  addEllipsoid(head, {6.9, 0.0, 10.2}, {3.3, 2.7, 2.8}, 8, 12);

  // Flat bill pointing forward and slightly down.
  Mesh bill = part("bill", kBill);
  addEllipsoid(bill, {10.4, 0.0, 9.4}, {2.5, 1.25, 0.65}, 5, 10, [](Vec3 p, Vec3) {
    p.z -= 0.12 * (p.x - 9.0);
    return p;
  });

  Mesh eyes = part("eyes", kEye);
  for (double side : {1.0, -1.0}) addEllipsoid(eyes, {8.4, side * 2.35, 11.0}, {0.55, 0.4, 0.55}, 4, 6);

  model.meshes = {body, breast, wings, tail, collar, head, bill, eyes};
  return model;
}
