// The demo's fixed catalogue: product tree leaves and dish templates.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace server::demo {

// What a kitchen does with a product, as far as portions go: each kind has its own range of
// quantities per diner.
enum class ProductKind {
  OfFamily,  // the family's kind (catalogue entries only)
  Protein,
  CuredMeat,
  Starch,
  Pulse,
  Flour,
  Vegetable,
  Aromatic,
  Fruit,
  CannedVegetable,
  Dairy,
  Cheese,
  Fat,
  Seasoning,
  Condiment,
  Sweet,
  Bread,
  Juice,
  FruitPulp,
  CoffeeTea,
  Egg,
  Disposable,
  Cleaning,
  CleaningUnit,
  Fuel,
};

// The quantities per diner a collective kitchen uses for a kind, in the stock unit: a recipe's
// net quantity is at least `min` and its gross quantity (net x correction factor) at most `max`;
// a consumption item's quantity per estimated diner of the day lies in [min, max].
struct KindRange {
  ProductKind kind;
  const char* name;
  const char* units;  // the stock units the kind comes in, comma separated
  double min;
  double max;
};

const KindRange& kindRange(ProductKind kind);
bool kindAllowsUnit(const KindRange& range, std::string_view unit);
// The kind of a stock product of the catalogue by its name; nullptr for a name not in it.
const KindRange* kindOfProduct(std::string_view name);

struct CatalogItem {
  const char* name;
  const char* unit;
  double price;  // per stock unit
  ProductKind kind = ProductKind::OfFamily;
};

struct CatalogFamily {
  int group;     // level 1
  int subgroup;  // level 2
  const char* groupName;
  const char* subgroupName;
  const char* productGroup;  // CDGRUPPROD
  double factorMin;          // correction factor range of the family
  double factorMax;
  bool seasonal;
  ProductKind kind;
  std::vector<CatalogItem> items;
};

const std::vector<CatalogFamily>& catalogFamilies();

// Dish categories; menus pick dishes by category.
enum class DishCategory { Rice, Beans, Main, Side, Salad, Dessert, Drink, Breakfast };

struct Ingredient {
  const char* product;  // catalogue item name
  double quantity;      // net per diner, in the product's unit
};

struct DishTemplate {
  DishCategory category;
  std::string name;
  std::vector<Ingredient> ingredients;
};

// The standard dishes of the company's catalogue.
std::vector<DishTemplate> standardDishes();

}  // namespace server::demo
