#pragma once
// Qt 6.4's screen-reader bridge takes the property name of every D-Bus
// Properties call from its second argument, and GetAll has only one: Qt reads
// past the end of the list and may end the program. Once the bridge has put
// its object on the accessibility bus, a guard takes that object's place,
// refuses such calls and hands every other message to Qt's object.
namespace AccessibilityGuard {

// Watches for the bridge to become active, now or whenever a screen reader
// comes later. Costs nothing while none does: it neither starts the bridge
// nor touches D-Bus itself. Call once, after the application object exists.
void Install();

}
