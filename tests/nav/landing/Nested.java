// Classes of one name in two classes: a member's dotted scope names its owner's.
class Outer {
    static class Inner { int used; }
}

class Other {
    static class Inner { int used; }
}

// Owners alike two out, in two classes: the third owner out tells them apart.
class First {
    static class Outer {
        static class Inner { int used; }
    }
}

class Second {
    static class Outer {
        static class Inner { int used; }
    }
}
