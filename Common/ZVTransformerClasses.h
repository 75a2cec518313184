#pragma once

// Makes every transformer class that needs no reference value available to views by its class
// name ("ZVIntToBool"), beside the instances the application registers under its own names.
namespace ZVTransformerClasses {
void registerAll();
}
