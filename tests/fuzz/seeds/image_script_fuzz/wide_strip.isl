ISL 1
size 4 1
noise cell=1000000000
contrast contrast=1000000000 brightness=-1000000000
threshold level=-1000000000
blur radius=3 passes=8
