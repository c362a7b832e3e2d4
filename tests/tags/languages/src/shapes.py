import os
from os import path as ospath
LIMIT = 10
class Circle:
    def area(self):
        return 1
def make():
    return Circle()
