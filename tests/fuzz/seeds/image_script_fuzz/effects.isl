ISL 1
size 4 4
background 1 2 3 4
51 3=30 4=100
rotate angle=-45 scale=50
blur radius=1
