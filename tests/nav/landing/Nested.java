// Classes of one name in two classes: a member's dotted scope names its owner's.
class Outer {
    static class Inner { int used; }
}

class Other {
    static class Inner { int used; }
}
