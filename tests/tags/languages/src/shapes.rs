macro_rules! square { ($x:expr) => { $x * $x }; }
mod geo {
    pub const LIMIT: i32 = 10;
    pub static COUNT: i32 = 0;
    pub type Size = i32;
    pub enum Unit { Metre, Inch }
    pub struct Circle { pub radius: i32 }
    pub trait Shape { fn area(&self) -> i32; }
    impl Shape for Circle {
        fn area(&self) -> i32 { self.radius }
    }
    pub fn make() -> Circle { Circle { radius: 1 } }
}
