// The demo's fixed catalogue: product tree leaves and dish templates.
#pragma once

#include <string>
#include <vector>

namespace server::demo {

struct CatalogItem {
  const char* name;
  const char* unit;
  double price;  // per stock unit
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
